#!/usr/bin/env bash
# Makes the whole release in dist/ from the commit checked out: the source tarball, the packages of every preset that
# cmake/presets.cmake finds released, and SHA256SUMS. Build folders that exist are configured again; the others are
# configured without the tests. It refuses a tree with changes not committed or files git does not track, which the
# source tarball would lack.
#
# usage: packaging/release.sh   (needs git, GNU tar, gzip, and what every
#        released preset needs, with dpkg-dev, rpm, zip and python3-wheel)
set -euo pipefail
cd "$(dirname "$0")/.."
unset SOURCE_DATE_EPOCH
die() {
    echo "release.sh: $1" >&2
    [ -z "${2-}" ] || cat "$2" >&2
    exit 1
}

changes=$(git status --porcelain --untracked-files=all)
[ -z "$changes" ] || die "the source tarball is made of the commit, and these are not in it; commit them first:
$changes"

rm -rf dist
mkdir dist
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

listed=$(cmake -P cmake/presets.cmake) || die "cmake cannot read the presets"
presets=()
for preset in $(awk -F'|' '$2 == "released" { print $1 }' <<<"$listed"); do
    presets+=("$preset")
    build=build/$preset log=$work/$preset.log
    if [ -f "$build/CMakeCache.txt" ]; then
        cmake "$build" >"$log" 2>&1 || die "$preset: configuring $build again failed:" "$log"
    else
        cmake --preset "$preset" -DBUILD_TESTING=OFF >"$log" 2>&1 || die "$preset: configuring failed:" "$log"
    fi
    packaging/make_packages.sh "$build" dist >>"$log" 2>&1 || die "$preset: making its packages failed:" "$log"
    ! grep '^left out: ' "$log" || die "$preset left out packages that the release ships"
done
[ ${#presets[@]} -gt 0 ] || die "no preset is released: $listed"

# The source tarball: the commit, sorted, owned by root, dated the release's as the builds read it. Like the packages,
# which make_packages.sh makes under umask 022, it and SHA256SUMS are readable by all.
umask 022
# shellcheck source=/dev/null
. "build/${presets[0]}/packaging.env"
git archive --prefix="dcdcount-$version/" HEAD | tar -x -C "$work"
tar -c --sort=name --format=gnu --owner=root:0 --group=root:0 --mode=u=rwX,go=rX \
    --mtime="@$release_epoch" -C "$work" "dcdcount-$version" | gzip -9n >"dist/dcdcount-$version.tar.gz"

(cd dist && sums=$(LC_ALL=C ls | xargs sha256sum) && echo "$sums" >SHA256SUMS)
echo "wrote, in $PWD/dist:"
(cd dist && ls -l | awk 'NR > 1 { printf "%10d  %s\n", $5, $NF }')
