#!/usr/bin/env bash
# Makes the packages of one build folder in OUT, staged in BUILD/packaging: for Linux a .deb, an RPM and a tarball,
# for Windows a .zip, and a wheel for both. Each file in them is dated the release's, owned by root, with umask 022's
# modes, so that the same source gives the same bytes whoever makes them, whenever; and the packages are readable by
# all, whatever the umask. It prints what it made and what it left out, and why.
#
# usage: packaging/make_packages.sh BUILD OUT
set -euo pipefail
build=$(cd "$1" && pwd)
mkdir -p "$2" && out=$(cd "$2" && pwd)
cd "$(dirname "$0")/.."
source=$PWD
umask 022
stage=$build/packaging
rm -rf "$stage"
mkdir -p "$stage"
# The build first: where doc/changelog has changed, it configures again and so brings packaging.env up to date.
cmake --build "$build" >"$stage/build.log" || { cat "$stage/build.log"; exit 1; }
# shellcheck source=/dev/null
. "$build/packaging.env"
export TZ=UTC LC_ALL=C PYTHONDONTWRITEBYTECODE=1
: "${SOURCE_DATE_EPOCH:=$release_epoch}"
export SOURCE_DATE_EPOCH

# install_into ROOT [PREFIX]: the install tree, stripped, into ROOT, or under PREFIX in ROOT.
install_into() {
    DESTDIR=${2:+$1} cmake --install "$build" --prefix "${2:-$1}" --strip >/dev/null
}
settle() {
    chmod -R u=rwX,go=rX "$1"
    find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
}
made() { echo "made: $out/$1"; }
left_out() { echo "left out: $*"; }

make_deb() {
    local root=$stage/deb kib
    install_into "$root" /usr
    mkdir -p "$root/usr/share/doc/dcdcount" "$root/usr/share/lintian/overrides"
    cp LICENSE "$root/usr/share/doc/dcdcount/copyright"
    gzip -9n <doc/changelog >"$root/usr/share/doc/dcdcount/changelog.gz"
    sed "s/@LINTIAN_TAG@/$lintian_tag/" packaging/lintian-overrides >"$root/usr/share/lintian/overrides/dcdcount"
    # What apt reports and reserves: the KiB of each file rounded up, and 1 per folder.
    kib=$(find "$root" -mindepth 1 -printf '%y %s\n' |
        awk '{ kib += $1 == "d" ? 1 : int(($2 + 1023) / 1024) } END { print kib }')
    mkdir "$root/DEBIAN"
    cat >"$root/DEBIAN/control" <<EOF
Package: dcdcount
Version: $version
Architecture: $deb_architecture
Maintainer: $contact
Installed-Size: $kib
Section: science
Priority: optional
Description: $summary
$(sed 's/^$/./; s/^/ /' doc/description.txt)
EOF
    settle "$root"
    dpkg-deb --root-owner-group -Zxz --build "$root" "$out/dcdcount_${version}_$deb_architecture.deb" >/dev/null
    made "dcdcount_${version}_$deb_architecture.deb"
}

make_rpm() {
    local root=$stage/rpm
    install_into "$root" /usr
    mkdir -p "$root/usr/share/licenses/dcdcount"
    cp LICENSE "$root/usr/share/licenses/dcdcount/"
    settle "$root"
    # doc/changelog's entries as rpmbuild takes them, each item one "- " line, wrapped lines indented.
    {
        cat packaging/dcdcount.rpmspec
        printf '\n%%changelog\n'
        awk '/^dcdcount \(/ { version = substr($2, 2, length($2) - 2); items = "" }
            /^  \* / { items = items "- " substr($0, 5) "\n" }
            /^    / { items = items "  " substr($0, 5) "\n" }
            /^ -- / { split($0, at, ">  "); split(at[2], date, "[ ,]+")
                      printf "%s* %s %s %s %s %s> - %s-1\n%s", gap, date[1], date[3], date[2], date[4],
                          substr(at[1], 5), version, items; gap = "\n" }' doc/changelog
    } >"$stage/dcdcount.rpmspec"
    rpmbuild -bb --quiet --target "$processor" \
        --define "_topdir $stage/rpmbuild" --define "_dbpath $stage/rpmdb" --define "_rpmdir $out" \
        --define "_tmppath $stage/rpmbuild/tmp" \
        --define "_build_name_fmt %{NAME}-%{VERSION}-%{RELEASE}.%{ARCH}.rpm" \
        --define "dcdcount_version $version" --define "dcdcount_summary $summary" \
        --define "dcdcount_contact $contact" --define "dcdcount_root $root" \
        --define "dcdcount_source $source" --define "dcdcount_autoreq $([ "$link" = dynamic ] && echo yes || echo no)" \
        "$stage/dcdcount.rpmspec" >"$stage/rpmbuild.log" 2>&1 || { cat "$stage/rpmbuild.log"; exit 1; }
    made "dcdcount-$version-1.$processor.rpm"
}

# One top folder: a tarball's holds bin/ and share/, to be unpacked into ~/.local with --strip-components=1 and no
# root.
make_archive() {
    install_into "$stage/archive/$top"
    if [ "$system" = Windows ]; then
        settle "$stage/archive"
        rm -f "$out/$top.zip"
        (cd "$stage/archive" && find "$top" -type f | sort | zip -X -q "$out/$top.zip" -@)
        made "$top.zip"
    else
        mkdir -p "$stage/archive/$top/share/doc/dcdcount"
        cp README.md LICENSE "$stage/archive/$top/share/doc/dcdcount/"
        settle "$stage/archive"
        tar -c --sort=name --format=gnu --owner=root:0 --group=root:0 -C "$stage/archive" "$top" |
            gzip -9n >"$out/$top.tar.gz"
        made "$top.tar.gz"
    fi
}

# The program itself is the wheel's script, which pip puts on the environment's PATH: no Python launcher between the
# user and the program.
make_wheel() {
    local root=$stage/wheel name=dcdcount-$version platform
    mkdir -p "$root/$name.data/scripts" "$root/$name.dist-info"
    cp "$stage/archive/$top/$program" "$root/$name.data/scripts/"
    cp LICENSE "$root/$name.dist-info/"
    cat - README.md >"$root/$name.dist-info/METADATA" <<EOF
Metadata-Version: 2.1
Name: dcdcount
Version: $version
Summary: $summary
Author: ${contact% <*}
License: MIT
License-File: LICENSE
Classifier: Environment :: Console
Classifier: License :: OSI Approved :: MIT License
Classifier: Topic :: Scientific/Engineering :: Chemistry
Description-Content-Type: text/markdown

EOF
    {
        echo "Wheel-Version: 1.0"
        echo "Generator: dcdcount make_packages.sh"
        echo "Root-Is-Purelib: false"
        for platform in $wheel_platforms; do echo "Tag: py3-none-$platform"; done
    } >"$root/$name.dist-info/WHEEL"
    settle "$root"
    "$wheel_python" -m wheel pack "$root" -d "$out" | sed -n 's|.*/\(dcdcount-.*\.whl\).*|made: '"$out"'/\1|p'
}

top=dcdcount-$version-$triple
program=bin/dcdcount
[ "$system" != Windows ] || program=dcdcount.exe
make_archive
if [ "$link" = dynamic ]; then
    left_out "the .deb, the RPM and the wheel: the program is linked dynamically, and needs its libraries"
    exit 0
fi
if [ "$system" = Linux ]; then
    if ! command -v dpkg-deb >/dev/null; then
        left_out "the .deb: no dpkg-deb"
    elif [ -z "$deb_architecture" ]; then
        left_out "the .deb: dpkg-architecture (dpkg-dev) named no Debian architecture when configured"
    else
        make_deb
    fi
    if command -v rpmbuild >/dev/null; then make_rpm; else left_out "the RPM: no rpmbuild (Debian and Ubuntu: rpm)"; fi
fi
# The wheel module may be missing from the python3 first on PATH (pyenv's, conda's) and present in the system's.
wheel_python=
for python in python3 /usr/bin/python3; do
    if "$python" -c 'import wheel' 2>/dev/null; then wheel_python=$python && break; fi
done
if [ -z "$wheel_platforms" ]; then
    left_out "the wheel: no platform tags for $system"
elif [ -n "$wheel_python" ]; then
    make_wheel
else
    left_out "the wheel: no wheel module for python3 (Debian and Ubuntu: python3-wheel)"
fi
