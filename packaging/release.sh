#!/usr/bin/env bash
# Makes the whole release in dist/, from a git checkout, with the toolchains
# that .ci/run installs, and prints what it wrote:
#   dcdcount-VERSION.tar.gz       the source: every tracked file as it stands
#                                 (HEAD on a clean checkout), under
#                                 dcdcount-VERSION/, and nothing else
#   the .deb, RPM and tarball     for x86-64 Linux (release preset) and for
#                                 64-bit ARM Linux (linux-arm64 preset)
#   the two .zips                 for 64-bit and 32-bit Windows
#   SHA256SUMS                    one line per file, for `sha256sum -c SHA256SUMS`
# Every file carries the release's date from doc/changelog, so the same source
# gives the same SHA256SUMS in any folder, at any time, by any user, with the
# same toolchain versions (packaging/check_reproducible.sh checks it). The
# presets' build folders are used where they exist (as after CI's workflows);
# those that do not are configured without the tests.
#
# usage: packaging/release.sh   (needs git, GNU tar, gzip, and what the
#        release, linux-arm64, windows-x86 and windows-x64 presets need,
#        with dpkg, rpm and zip)
set -euo pipefail
cd "$(dirname "$0")/.."
unset SOURCE_DATE_EPOCH

version=$(sed -n '1s/^dcdcount (\([^)]*\)).*/\1/p' doc/changelog)
epoch=$(date -u -d "$(sed -n 's/^ -- .*>  //p' doc/changelog | head -n1)" +%s)
[ -n "$version" ] && [ -n "$epoch" ] || { echo "release.sh: no version or date in doc/changelog" >&2; exit 1; }

rm -rf dist
mkdir dist
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The source tarball: sorted, owned by root (0), every entry dated the
# release's. (The index is refreshed first: stash create fails where file
# times alone have changed.)
git update-index -q --refresh || true
source=$(git -c user.name=release -c user.email=release@localhost stash create)
[ -z "$source" ] || echo "note: the source holds changes that are not committed"
git archive --prefix="dcdcount-$version/" "${source:-HEAD}" | tar -x -C "$work"
tar -c --sort=name --format=gnu --owner=root:0 --group=root:0 --mode=u=rwX,go=rX \
    --mtime="@$epoch" -C "$work" "dcdcount-$version" | gzip -9n >"dist/dcdcount-$version.tar.gz"

# The packages, each from its preset's build folder.
files=("dcdcount-$version.tar.gz")
for row in \
    "release     dcdcount_${version}_amd64.deb dcdcount-$version-1.x86_64.rpm dcdcount-$version-x86_64-unknown-linux-musl.tar.gz" \
    "linux-arm64 dcdcount_${version}_arm64.deb dcdcount-$version-1.aarch64.rpm dcdcount-$version-aarch64-unknown-linux-gnu.tar.gz" \
    "windows-x64 dcdcount-$version-win64.zip" \
    "windows-x86 dcdcount-$version-win32.zip"; do
    read -r preset packages <<<"$row"
    {
        [ -f "build/$preset/CMakeCache.txt" ] || cmake --preset "$preset" -DBUILD_TESTING=OFF
        cmake --build --preset "$preset" --target package
    } >"$work/$preset.log" 2>&1 || { cat "$work/$preset.log"; exit 1; }
    for package in $packages; do
        cp "build/$preset/$package" dist/ || { echo "release.sh: $preset made no $package" >&2; exit 1; }
        files+=("$package")
    done
done

(cd dist && sha256sum "${files[@]}" >SHA256SUMS)
echo "wrote, in $PWD/dist:"
(cd dist && ls -l "${files[@]}" SHA256SUMS | awk '{ printf "%10d  %s\n", $5, $NF }')
