#!/usr/bin/env bash
# Builds the packages and checks what a user gets from each: the amd64 .deb
# from the release build, installed into a scratch root with dpkg; the arm64
# .deb from the linux-arm64 build, unpacked and run under qemu-aarch64; both
# checked by lintian; the RPMs of both builds, checked by rpmlint and
# installed into a fresh root; the tarballs of both, sorted, owned by root and
# dated the release's, the amd64 one unpacked into ~/.local by an ordinary
# user, who also installs the RPM relocated into their home; the same program
# in a build's .deb, RPM and tarball; nothing written outside the build
# folders; and the Windows .zips from the windows-x86 and windows-x64 builds.
# usage: packaging/check_packages.sh   (after configuring the release,
#        linux-arm64, windows-x86 and windows-x64 presets; needs dpkg,
#        lintian, man-db, qemu-user, rpm, rpmlint, unzip, zip)
set -euo pipefail
cd "$(dirname "$0")/.."

failed=0
fail() { echo "FAIL: $*"; failed=1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
touch "$work/before"
for preset in release linux-arm64 windows-x86 windows-x64; do
    cmake --build --preset "$preset" --target package
done
written=$(find /usr /etc /opt /root -xdev -newer "$work/before" | head -3)
[ -z "$written" ] || fail "packaging wrote outside the build folders: $written"
# The checks' own rpm and rpmlint keep their package database (~/.rpmdb on
# Debian) in the scratch folder too.
export HOME=$work
deb=$(ls build/release/dcdcount_*_amd64.deb)
arm=$(ls build/linux-arm64/dcdcount_*_arm64.deb)
zips=(build/windows-x86/dcdcount-*-win32.zip build/windows-x64/dcdcount-*-win64.zip)

# placeholders FOLDER: the packaged texts under FOLDER, an unpacked package
# (compressed or not), that still hold an unexpanded @NAME@.
placeholders() {
    local file
    find "$1" -type f | sort | while read -r file; do
        case $file in
        *.gz) gzip -dc "$file" ;;
        *) grep -Iq . "$file" && cat "$file" ;;
        esac | grep -q '@[A-Z][A-Z_]*@' && echo "$file"
    done
    return 0
}

for package in "$deb" "$arm"; do
    echo "== $package"
    dpkg-deb --field "$package" Package Version Architecture Installed-Size Section Depends
    [ -z "$(dpkg-deb --field "$package" Depends)" ] || fail "the static build's package has dependencies"
    # What apt reports and reserves: the KiB of each file rounded up, and 1 per folder.
    kib=$(dpkg-deb -c "$package" | awk '$6 != "./" { kib += /^d/ ? 1 : int(($3 + 1023) / 1024) }
        END { print kib }')
    [ "$(dpkg-deb --field "$package" Installed-Size)" = "$kib" ] ||
        fail "$package: Installed-Size is not the $kib KiB it installs"
    # Root is the only user here; lintian's remark about it is not about the package.
    lintian --fail-on error,warning "$package" 2> >(grep -v 'running with root privileges' >&2) ||
        fail "lintian finds errors or warnings in $package"
done
[ "$(dpkg-deb --field "$arm" Architecture)" = arm64 ] || fail "$arm is not for arm64"
dpkg-deb -x "$arm" "$work/arm64"
trees=("$work/arm64")
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
items=$(grep -c '^  \* ' doc/changelog)

release=$(date -u -d "$(sed -n 's/^ -- .*>  //p' doc/changelog | head -1)" '+%F %T')
for build in release linux-arm64; do
    deb_program=$work/$([ $build = release ] && echo root || echo arm64)/usr/bin/dcdcount
    rpm=$(ls build/$build/dcdcount-*.rpm)
    tarball=$(ls build/$build/dcdcount-*-linux-*.tar.gz)
    echo "== $rpm"
    rpmlint -c packaging/rpmlint.toml "$rpm" | tee "$work/rpmlint"
    grep -q ' 0 errors, 0 warnings' "$work/rpmlint" || fail "rpmlint finds errors or warnings in $rpm"
    [ -z "$(rpm -qp --requires "$rpm" | grep -v '^rpmlib(')" ] || fail "$rpm requires more than rpm itself"
    [ "$(rpm -qp --licensefiles "$rpm")" = /usr/share/licenses/dcdcount/LICENSE ] || fail "$rpm has no %license"
    rpm -qp --changelog "$rpm" >"$work/changelog"
    grep -q '^\* .* - 1\.0\.0-1$' "$work/changelog" || fail "$rpm has no changelog"
    [ "$(grep -c '^- ' "$work/changelog")" = "$items" ] ||
        fail "$rpm's changelog does not show the $items items of doc/changelog, one each"
    rpm --root "$work/$build.rpm" --ignorearch -i "$rpm" 2>/dev/null || fail "$rpm does not install"
    installed=$(cd "$work/$build.rpm" && find usr | sort | tr '\n' ' ')
    [ "$installed" = "usr usr/bin usr/bin/dcdcount usr/share usr/share/licenses usr/share/licenses/dcdcount \
usr/share/licenses/dcdcount/LICENSE usr/share/man usr/share/man/man1 usr/share/man/man1/dcdcount.1.gz " ] ||
        fail "$rpm installs: $installed"
    echo "== $tarball"
    top=$(basename "$tarball" .tar.gz)
    names=$(tar -tzf "$tarball")
    LC_ALL=C sort -c <<<"$names" || fail "$tarball is not sorted"
    entries=$(sed "s|^$top/||" <<<"$names" | tr '\n' ' ')
    [ "$entries" = " bin/ bin/dcdcount share/ share/doc/ share/doc/dcdcount/ share/doc/dcdcount/LICENSE \
share/doc/dcdcount/README.md share/man/ share/man/man1/ share/man/man1/dcdcount.1.gz " ] ||
        fail "$tarball holds: $entries"
    # Each entry owned by root both by name and by number.
    odd=$({ tar -tvzf "$tarball" --full-time | grep -vE "^(drwxr-xr-x|-rw-r--r--|-rwxr-xr-x) root/root +[0-9]+ $release "
        tar -tvzf "$tarball" --numeric-owner | grep -v ' 0/0 '; } || true)
    [ -z "$odd" ] || fail "$tarball has entries not owned by root, with other modes or times: $odd"
    tar -xzf "$tarball" -C "$work"
    trees+=("$work/$build.rpm" "$work/$top")
    for program in "$work/$build.rpm/usr/bin/dcdcount" "$work/$top/bin/dcdcount"; do
        cmp "$deb_program" "$program" ||
            fail "$program is not the .deb's program"
    done
done

# An ordinary user, without root: the tarball unpacked into ~/.local, and the
# RPM relocated into their home.
home=$work/home
mkdir "$home" && cp build/release/dcdcount-*-linux-musl.tar.gz build/release/dcdcount-*.rpm "$home"
cp samples/run1-little-endian.dcd "$home/run1.dcd"
chmod -R a+rX "$work" && chown -R nobody "$home"
line=$(setpriv --reuid=nobody --regid=nogroup --clear-groups env -i HOME="$home" PATH=/usr/bin:/bin bash -c '
    cd && mkdir -p .local && tar -xf dcdcount-*.tar.gz -C .local --strip-components=1 &&
    PATH=$HOME/.local/bin:$PATH && man -w dcdcount >/dev/null && dcdcount run1.dcd &&
    rpm --dbpath "$HOME/.local/lib/rpm" --relocate /usr="$HOME/rpm" -i dcdcount-*.rpm 2>/dev/null &&
    rpm/bin/dcdcount run1.dcd && man -w -M rpm/share/man dcdcount >/dev/null') ||
    fail "an ordinary user cannot install the tarball or the RPM in their home"
[ "$line" = "run1.dcd contains 300 frames.
run1.dcd contains 300 frames." ] || fail "the ordinary user's programs printed: $line"

for zip in "${zips[@]}"; do
    echo "== $zip"
    folder=$(basename "$zip" .zip)
    unzip -q "$zip" -d "$work/$folder"
    trees+=("$work/$folder")
    contents=$(cd "$work/$folder" && find . -type f | sort | tr '\n' ' ')
    [ "$contents" = "./$folder/LICENSE.txt ./$folder/USAGE.txt ./$folder/dcdcount.exe " ] ||
        fail "zip holds: $contents"
    for text in USAGE.txt LICENSE.txt; do
        lines=$(wc -l <"$work/$folder/$folder/$text")
        [ "$lines" -gt 0 ] && [ "$(grep -c $'\r$' "$work/$folder/$folder/$text")" = "$lines" ] &&
            [ "$(tail -c 2 "$work/$folder/$folder/$text" | od -An -c | tr -d ' ')" = '\r\n' ] ||
            fail "$text does not end every line, the last one too, in CRLF"
    done
    format=$(objdump -f "$work/$folder/$folder/dcdcount.exe" | sed -n 's/.*file format //p')
    case "$folder:$format" in
    *-win32:pei-i386 | *-win64:pei-x86-64) ;;
    *) fail "$zip holds a program of format $format" ;;
    esac
done

left=$(for tree in "$root/usr" "${trees[@]}"; do placeholders "$tree"; done)
[ -z "$left" ] || fail "packaged texts with an unexpanded @NAME@: $left"

[ "$failed" = 0 ] && echo "packages: all checks passed"
exit "$failed"
