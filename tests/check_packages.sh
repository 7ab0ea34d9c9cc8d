#!/usr/bin/env bash
# Builds the packages and checks what a user gets from each: the amd64 .deb
# from the release build, installed into a scratch root with dpkg; the arm64
# .deb from the linux-arm64 build, unpacked and run under qemu-aarch64; both
# checked by lintian; and the Windows .zips from the windows-x86 and
# windows-x64 builds.
# usage: tests/check_packages.sh   (after configuring the release, linux-arm64,
#        windows-x86 and windows-x64 presets; needs dpkg, lintian, man-db,
#        qemu-user, unzip, zip)
set -euo pipefail
cd "$(dirname "$0")/.."

failed=0
fail() { echo "FAIL: $*"; failed=1; }

for preset in release linux-arm64 windows-x86 windows-x64; do
    cmake --build --preset "$preset" --target package
done
deb=$(ls build/release/dcdcount_*_amd64.deb)
arm=$(ls build/linux-arm64/dcdcount_*_arm64.deb)
zips=(build/windows-x86/dcdcount-*-win32.zip build/windows-x64/dcdcount-*-win64.zip)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

for package in "$deb" "$arm"; do
    echo "== $package"
    dpkg-deb --field "$package" Package Version Architecture Installed-Size Section Depends
    [ -z "$(dpkg-deb --field "$package" Depends)" ] || fail "the static build's package has dependencies"
    # Root is the only user here; lintian's remark about it is not about the package.
    lintian --fail-on error,warning "$package" 2> >(grep -v 'running with root privileges' >&2) ||
        fail "lintian finds errors or warnings in $package"
done
[ "$(dpkg-deb --field "$arm" Architecture)" = arm64 ] || fail "$arm is not for arm64"
dpkg-deb -x "$arm" "$work/arm64"
line=$(qemu-aarch64 "$work/arm64/usr/bin/dcdcount" samples/run1-little-endian.dcd)
[ "$line" = "samples/run1-little-endian.dcd contains 300 frames." ] || fail "the arm64 program printed: $line"

root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
dpkg --root="$root" --force-script-chrootless -i "$deb"
installed=$(cd "$root" && find . -type f ! -path './var/*' | sort | tr '\n' ' ')
[ "$installed" = "./usr/bin/dcdcount ./usr/share/doc/dcdcount/changelog.gz \
./usr/share/doc/dcdcount/copyright ./usr/share/lintian/overrides/dcdcount \
./usr/share/man/man1/dcdcount.1.gz " ] || fail "installed files: $installed"
line=$("$root/usr/bin/dcdcount" samples/run1-big-endian.dcd)
[ "$line" = "samples/run1-big-endian.dcd contains 300 frames." ] || fail "installed program printed: $line"
man -M "$root/usr/share/man" dcdcount 2>&1 | grep -q 'dcdcount - print how many frames' ||
    fail "man dcdcount does not find the installed page"
[ -z "$(man --warnings -l "$root/usr/share/man/man1/dcdcount.1.gz" 2>&1 >/dev/null)" ] ||
    fail "the manual page renders with warnings"
cmp -s LICENSE "$root/usr/share/doc/dcdcount/copyright" || fail "copyright is not the LICENSE"

for zip in "${zips[@]}"; do
    echo "== $zip"
    folder=$(basename "$zip" .zip)
    unzip -q "$zip" -d "$work/$folder"
    contents=$(cd "$work/$folder" && find . -type f | sort | tr '\n' ' ')
    [ "$contents" = "./$folder/LICENSE.txt ./$folder/USAGE.txt ./$folder/dcdcount.exe " ] ||
        fail "zip holds: $contents"
    for text in USAGE.txt LICENSE.txt; do
        lines=$(wc -l <"$work/$folder/$folder/$text")
        [ "$lines" -gt 0 ] && [ "$(grep -c $'\r$' "$work/$folder/$folder/$text")" = "$lines" ] ||
            fail "$text does not end every line in CRLF"
    done
    format=$(objdump -f "$work/$folder/$folder/dcdcount.exe" | sed -n 's/.*file format //p')
    case "$folder:$format" in
    *-win32:pei-i386 | *-win64:pei-x86-64) ;;
    *) fail "$zip holds a program of format $format" ;;
    esac
done

[ "$failed" = 0 ] && echo "packages: all checks passed"
exit "$failed"
