#!/usr/bin/env bash
# Makes the release of the commit again, twice, under reprotest, which says
# through diffoscope where the two differ: the second by another user
# (nobody), in another build path on disorderfs (every folder's files listed
# in another order), under another umask, time zone, locale, host name, kernel
# version, number of processors, HOME and PATH, with a TMPDIR on another file
# system (tmpfs), and its clock more than a year ahead (faketime). The first
# must be dist/ to the byte, as packaging/check_packages.sh made and checked
# it against README: two releases that lack the same files are not the release.
#
# usage: packaging/check_reproducible.sh   (as root, after check_packages.sh;
#        needs what release.sh needs, reprotest, diffoscope, disorderfs,
#        faketime and sudo)
set -euo pipefail
cd "$(dirname "$0")/.."
[ -s dist/SHA256SUMS ] || { echo "FAIL: no release in dist/ to compare with: run packaging/check_packages.sh"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
git clone -q . "$work/source"
# A cache of the builds' own (musl for other processors), which both users may fill and read.
chmod 755 "$work" && mkdir -m 1777 "$work/cache"
# reprotest calls `sudo -h localhost`, which sudo 1.9 takes for a remote host.
mkdir "$work/bin"
printf '#!/bin/sh\n[ "$1 $2" != "-h localhost" ] || shift 2\nexec /usr/bin/sudo "$@"\n' >"$work/bin/sudo"
chmod 755 "$work/bin/sudo"
# nobody mounts the shuffled file system: /dev/fuse open to all users, as Debian's udev leaves it.
[ "$(stat -c %a /dev/fuse)" = 666 ] || chmod 666 /dev/fuse
PATH=$work/bin:$PATH reprotest --min-cpus=99 --store-dir="$work/store" \
    --vary=user_group.available+=nobody:nogroup,domain_host.use_sudo=1 --vary=environment.variables+=TMPDIR=/dev/shm \
    -c "XDG_CACHE_HOME=$work/cache packaging/release.sh" "$work/source" 'dist/*' ||
    { echo "FAIL: the release, made again elsewhere, differs (diffoscope's report above), or was not made"; exit 1; }
if ! diff -r dist "$work/store/control/source-root/dist"; then
    echo "FAIL: the release made again is not dist/, which packaging/check_packages.sh checked"
    exit 1
fi
echo "reproducible: the release made twice more, once elsewhere, is dist/ to the byte:"
cat dist/SHA256SUMS
