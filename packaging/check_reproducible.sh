#!/usr/bin/env bash
# Builds the packages twice from the same source and compares them byte for
# byte: in two folders (one on tmpfs where there is one, so that a folder's
# files are listed in another order), one after the other, from files with
# different modification times, under different umasks, in different time
# zones, by different users (root, then nobody, when run as root), and with
# no SOURCE_DATE_EPOCH in the environment. The source is the tracked files as
# they stand (HEAD on a clean checkout).
#
# usage: packaging/check_reproducible.sh   (needs what the release, linux-arm64,
#        windows-x86 and windows-x64 presets need, rpm and zip)
set -euo pipefail
cd "$(dirname "$0")/.."
unset SOURCE_DATE_EPOCH

packages=(release/dcdcount_*_amd64.deb release/dcdcount-*.x86_64.rpm release/dcdcount-*-linux-musl.tar.gz
    linux-arm64/dcdcount_*_arm64.deb linux-arm64/dcdcount-*.aarch64.rpm linux-arm64/dcdcount-*-linux-gnu.tar.gz
    windows-x86/dcdcount-*-win32.zip windows-x64/dcdcount-*-win64.zip)
source=$(git -c user.name=check -c user.email=check@localhost stash create)
work=$(mktemp -d)
fast=$(mktemp -d -p /dev/shm 2>/dev/null || mktemp -d)
trap 'rm -rf "$work" "$fast"' EXIT

# build FOLDER TIME [USER]: the packages, built in FOLDER from files last
# modified at TIME, by USER (who then owns FOLDER and all in it) or by whoever
# runs this.
build() {
    local as=()
    mkdir -p "$1"
    git archive "${source:-HEAD}" | tar -x -C "$1"
    find "$1" -exec touch -h -d "$2" {} +
    if [ -n "${3-}" ]; then
        chown -R "$3" "$1"
        as=(setpriv --reuid="$3" --regid="$(id -g "$3")" --clear-groups env HOME="$1")
    fi
    for preset in $(printf '%s\n' "${packages[@]%%/*}" | uniq); do
        (cd "$1" && ${as[@]+"${as[@]}"} sh -c 'cmake --preset "$0" -DBUILD_TESTING=OFF &&
            cmake --build --preset "$0" --target package' "$preset") >"$1/$preset.log" 2>&1 ||
            { cat "$1/$preset.log"; exit 1; }
    done
}
second_user=
if [ "$(id -u)" = 0 ] && id nobody >/dev/null 2>&1 && command -v setpriv >/dev/null; then
    second_user=nobody
    chmod 755 "$fast"
else
    echo "note: both builds by user $(id -un): run as root to build the second as nobody"
fi
TZ=UTC build "$work/first" '2001-02-03 04:05:06'
(umask 0002 && TZ=Asia/Tokyo build "$fast/a/second/build/here" now $second_user)

failed=0
for package in "${packages[@]}"; do
    first=$(echo "$work"/first/build/$package)
    second=$(echo "$fast"/a/second/build/here/build/$package)
    if cmp "$first" "$second"; then
        echo "same bytes: $(sha256sum "$first" | cut -c1-64)  $(basename "$first")"
    else
        echo "FAIL: $(basename "$first") differs between two builds"
        failed=1
    fi
done
exit "$failed"
