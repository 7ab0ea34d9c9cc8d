#!/usr/bin/env bash
# Makes the release twice and compares the two SHA256SUMS: here, and in a fresh
# clone on tmpfs where there is one (a folder's files listed in another order),
# its files modified later, under umask 077, in another time zone, and as root
# by nobody on a host of another name. The released builds' programs are
# compared too. A release lacking a released preset's packages is refused:
# two releases that lack the same things are not reproducible.
#
# usage: packaging/check_reproducible.sh   (needs what release.sh needs)
set -euo pipefail
cd "$(dirname "$0")/.."
unset SOURCE_DATE_EPOCH
failed=0
fail() { echo "FAIL: $*"; failed=1; }

fast=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$fast"' EXIT
second=$fast/a/second/clone/here

TZ=UTC packaging/release.sh >/dev/null

git clone -q --no-hardlinks . "$second"
find "$second" -path "$second/.git" -prune -o -exec touch -h -d tomorrow {} +
elsewhere=()
if [ "$(id -u)" = 0 ] && id nobody >/dev/null 2>&1 && command -v setpriv >/dev/null &&
    unshare --uts true 2>/dev/null; then
    chown -R nobody "$fast"
    elsewhere=(unshare --uts bash -c 'hostname another-builder.example && exec "$@"' bash
        setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups env HOME="$second" XDG_CACHE_HOME="$fast/cache")
else
    echo "note: both releases by user $(id -un) on $(uname -n): run as root to make the second as nobody, elsewhere"
fi
(cd "$second" && umask 077 && TZ=Asia/Tokyo ${elsewhere[@]+"${elsewhere[@]}"} packaging/release.sh) \
    >"$fast/second.log" 2>&1 || { echo "FAIL: the second release failed:"; cat "$fast/second.log"; exit 1; }

linux=0 windows=0
for toolchain in $(sed -n 's|.*"toolchainFile": "${sourceDir}/\(.*\)".*|\1|p' CMakePresets.json); do
    grep -qx 'set(DCDCOUNT_RELEASED ON)' "$toolchain" || continue
    if grep -q 'mingw\.cmake' "$toolchain"; then windows=$((windows + 1)); else linux=$((linux + 1)); fi
done
for kind in '\.deb$':$linux '\.rpm$':$linux '-linux-[^ ]*\.tar\.gz$':$linux '\.zip$':$windows \
    '\.whl$':$((linux + windows)) '  dcdcount-[0-9.]*\.tar\.gz$':1; do
    found=$(grep -c -- "${kind%:*}" dist/SHA256SUMS || true)
    [ "$found" = "${kind##*:}" ] ||
        fail "the release has $found files matching ${kind%:*}, not ${kind##*:}, as the released presets give"
done
for env in build/*/packaging.env; do
    grep -qx 'released=ON' "$env" || continue
    for program in "${env%/*}"/dcdcount "${env%/*}"/dcdcount.exe; do
        [ -f "$program" ] || continue
        cmp -s "$program" "$second/$program" || fail "$program is not the same program when built again elsewhere"
    done
done

unreadable=$(find "$second/dist" -type f ! -perm -444)
[ -z "$unreadable" ] || fail "the release made under umask 077 has files not readable by all: $unreadable"
cat dist/SHA256SUMS
if cmp -s dist/SHA256SUMS "$second/dist/SHA256SUMS"; then
    echo "reproducible: the release made again elsewhere has the same SHA256SUMS"
else
    fail "the release made again elsewhere differs, in:"
    diff dist/SHA256SUMS "$second/dist/SHA256SUMS" | sed -n 's/^> [0-9a-f]*  /  /p'
fi
[ "$failed" = 0 ] && echo "reproducible: so are the programs of the released builds' folders"
exit "$failed"
