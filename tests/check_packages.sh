#!/usr/bin/env bash
# Builds the two packages and checks what a user gets from each: the .deb from
# the release build, installed into a scratch root with dpkg, and the Windows
# .zip from the windows-x86 build.
# usage: tests/check_packages.sh   (after configuring the release and windows-x86 presets)
set -euo pipefail
cd "$(dirname "$0")/.."

failed=0
fail() { echo "FAIL: $*"; failed=1; }

cmake --build --preset release --target package
cmake --build --preset windows-x86 --target package
deb=$(ls build/release/dcdcount_*.deb)
zip=$(ls build/windows-x86/dcdcount-*-win32.zip)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

echo "== $deb"
dpkg-deb --field "$deb" Package Version Architecture Maintainer Section Depends
[ -z "$(dpkg-deb --field "$deb" Depends)" ] || fail "the static build's package has dependencies"
root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
dpkg --root="$root" --force-script-chrootless -i "$deb"
installed=$(cd "$root" && find . -type f ! -path './var/*' | sort | tr '\n' ' ')
[ "$installed" = "./usr/bin/dcdcount ./usr/share/doc/dcdcount/copyright ./usr/share/man/man1/dcdcount.1 " ] ||
    fail "installed files: $installed"
line=$("$root/usr/bin/dcdcount" samples/run1-big-endian.dcd)
[ "$line" = "samples/run1-big-endian.dcd contains 300 frames." ] || fail "installed program printed: $line"
man -M "$root/usr/share/man" dcdcount 2>&1 | grep -q 'dcdcount - print how many frames' ||
    fail "man dcdcount does not find the installed page"
[ -z "$(man --warnings -l "$root/usr/share/man/man1/dcdcount.1" 2>&1 >/dev/null)" ] ||
    fail "the manual page renders with warnings"
cmp -s LICENSE "$root/usr/share/doc/dcdcount/copyright" || fail "copyright is not the LICENSE"

echo "== $zip"
unzip -q "$zip" -d "$work/zip"
folder=$(basename "$zip" .zip)
contents=$(cd "$work/zip" && find . -type f | sort | tr '\n' ' ')
[ "$contents" = "./$folder/LICENSE.txt ./$folder/USAGE.txt ./$folder/dcdcount.exe " ] ||
    fail "zip holds: $contents"
for text in USAGE.txt LICENSE.txt; do
    lines=$(wc -l <"$work/zip/$folder/$text")
    [ "$lines" -gt 0 ] && [ "$(grep -c $'\r$' "$work/zip/$folder/$text")" = "$lines" ] ||
        fail "$text does not end every line in CRLF"
done

[ "$failed" = 0 ] && echo "packages: all checks passed"
exit "$failed"
