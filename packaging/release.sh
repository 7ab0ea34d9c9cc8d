#!/usr/bin/env bash
# Makes the whole release in dist/, from a git checkout, with the toolchains
# that .ci/run installs, and prints what it wrote:
#   dcdcount-VERSION.tar.gz       the source: every tracked file as it stands
#                                 (HEAD on a clean checkout), under
#                                 dcdcount-VERSION/, and nothing else
#   a .deb, an RPM and a tarball  for each Linux program the release ships
#   a .zip                        for each Windows program
#   SHA256SUMS                    one line per file, for `sha256sum -c SHA256SUMS`
# Every file carries the release's date from doc/changelog, so the same source
# gives the same SHA256SUMS in any folder, at any time, by any user, with the
# same toolchain versions (packaging/check_reproducible.sh checks it). The
# presets' build folders are used where they exist (as after CI's builds),
# configured again; those that do not are configured without the tests.
#
# usage: packaging/release.sh   (needs git, GNU tar, gzip, and what every
#        preset needs, with dpkg-dev, rpm and zip: what .ci/run installs)
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

# The packages of every build that the release ships (its toolchain file
# says so), each from its preset's build folder: whatever its package target
# makes, as CPack names it.
files=("dcdcount-$version.tar.gz")
presets=$(cmake --list-presets=configure | sed -nE 's/^  "([^"]+)".*/\1/p')
for preset in $presets; do
    build=build/$preset
    {
        if [ -f "$build/CMakeCache.txt" ]; then cmake "$build"; else cmake --preset "$preset" -DBUILD_TESTING=OFF; fi
        grep -q '^DCDCOUNT_IN_RELEASE:INTERNAL=ON$' "$build/CMakeCache.txt" || continue
        cmake --build "$build" --target package
    } >"$work/$preset.log" 2>&1 || { cat "$work/$preset.log"; exit 1; }
    packages=$(sed -n 's|^CPack: - package: .*/\([^/]*\) generated\.$|\1|p' "$work/$preset.log")
    [ -n "$packages" ] || { cat "$work/$preset.log"; echo "release.sh: $preset made no package" >&2; exit 1; }
    for package in $packages; do
        cp "$build/$package" dist/
        files+=("$package")
    done
done

(cd dist && sha256sum "${files[@]}" >SHA256SUMS)
echo "wrote, in $PWD/dist:"
(cd dist && ls -l "${files[@]}" SHA256SUMS | awk '{ printf "%10d  %s\n", $5, $NF }')
