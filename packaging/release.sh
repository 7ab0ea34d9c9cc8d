#!/usr/bin/env bash
# Makes the whole release in dist/, from a git checkout, with the toolchains
# that .ci/run installs, and prints what it wrote:
#   dcdcount-VERSION.tar.gz       the source: every tracked file as it stands
#                                 (HEAD on a clean checkout), under
#                                 dcdcount-VERSION/, and nothing else
#   a .deb, an RPM, a tarball     for each Linux program the release ships
#   and a wheel
#   a .zip and a wheel            for each Windows program
#   SHA256SUMS                    one line for every other file, for
#                                 `sha256sum -c SHA256SUMS`
# Every file carries the release's date from doc/changelog, so the same source
# gives the same SHA256SUMS in any folder, at any time, by any user, with the
# same toolchain versions (packaging/check_reproducible.sh checks it). The
# presets' build folders are used where they exist (as after CI's builds),
# configured again; those that do not are configured without the tests.
#
# usage: packaging/release.sh [source]   (source: the source tarball alone)
#        (needs git, GNU tar, gzip, and what every
#        preset needs, with dpkg-dev, rpm, zip and python3-wheel: what
#        .ci/run installs)
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
[ "${1-}" != source ] || exit 0

# The packages of every build that the release ships (its toolchain file
# says so), each made by make_packages.sh from its preset's build folder.
presets=$(cmake --list-presets=configure | sed -nE 's/^  "([^"]+)".*/\1/p')
for preset in $presets; do
    build=build/$preset
    {
        if [ -f "$build/CMakeCache.txt" ]; then cmake "$build"; else cmake --preset "$preset" -DBUILD_TESTING=OFF; fi
        grep -qx 'released=ON' "$build/packaging.env" || continue
        packaging/make_packages.sh "$build" dist
    } >"$work/$preset.log" 2>&1 || { cat "$work/$preset.log"; exit 1; }
    if grep '^left out: ' "$work/$preset.log"; then
        echo "release.sh: $preset left out packages that the release ships" >&2
        exit 1
    fi
done

(cd dist && sums=$(LC_ALL=C ls | xargs sha256sum) && echo "$sums" >SHA256SUMS)
echo "wrote, in $PWD/dist:"
(cd dist && ls -l | awk 'NR > 1 { printf "%10d  %s\n", $5, $NF }')
