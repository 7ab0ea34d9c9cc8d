#!/usr/bin/env bash
# Makes the release twice from the same source and compares the two
# SHA256SUMS, so every file of it byte for byte: here (packaging/release.sh,
# with the presets' build folders as they are), and in a fresh clone
# elsewhere: on tmpfs where there is one (so that a folder's files are listed
# in another order), with every file modified later, under another umask, in
# another time zone, by another user (nobody, when this runs as root), and
# with no SOURCE_DATE_EPOCH in the environment. The source is the tracked
# files as they stand (HEAD on a clean checkout).
#
# usage: packaging/check_reproducible.sh   (needs what release.sh needs)
set -euo pipefail
cd "$(dirname "$0")/.."
unset SOURCE_DATE_EPOCH

source=$(git -c user.name=check -c user.email=check@localhost stash create)
fast=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$fast"' EXIT
second=$fast/a/second/clone/here

TZ=UTC packaging/release.sh >/dev/null

# A clone holds every object of this repository, the uncommitted source too.
git clone -q --no-hardlinks . "$second"
git -C "$second" checkout -q --detach "${source:-HEAD}"
find "$second" -path "$second/.git" -prune -o -exec touch -h -d tomorrow {} +
as=()
if [ "$(id -u)" = 0 ] && id nobody >/dev/null 2>&1 && command -v setpriv >/dev/null; then
    chown -R nobody "$fast"
    as=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups env HOME="$second")
else
    echo "note: both releases by user $(id -un): run as root to make the second as nobody"
fi
(cd "$second" && umask 0002 && TZ=Asia/Tokyo ${as[@]+"${as[@]}"} packaging/release.sh) \
    >"$fast/second.log" 2>&1 || { echo "FAIL: the second release failed:"; cat "$fast/second.log"; exit 1; }

cat dist/SHA256SUMS
if cmp -s dist/SHA256SUMS "$second/dist/SHA256SUMS"; then
    echo "reproducible: the release made again elsewhere has the same SHA256SUMS"
else
    echo "FAIL: the release made again elsewhere differs, in:"
    diff dist/SHA256SUMS "$second/dist/SHA256SUMS" | sed -n 's/^> [0-9a-f]*  /  /p'
    exit 1
fi
