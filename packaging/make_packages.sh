#!/usr/bin/env bash
# Makes the packages of one build folder in OUT, each in one step by the tool
# made for it, from the build's install tree (cmake --install) staged in
# BUILD/packaging, the only place written besides OUT:
#   Linux     dcdcount_VERSION_ARCH.deb          dpkg-deb, from a control file written here
#             dcdcount-VERSION-1.ARCH.rpm        rpmbuild, from packaging/dcdcount.rpmspec
#             dcdcount-VERSION-TRIPLE.tar.gz     GNU tar and gzip -n
#   Windows   dcdcount-VERSION-win64.zip         zip -X
#   both      dcdcount-VERSION-py3-none-PLATFORMS.whl   wheel pack (python3-wheel)
# The .deb, the RPM and the wheel are made of static programs only, which
# need nothing installed. What the build is for comes from BUILD/packaging.env,
# which configure writes; the texts (doc/changelog, the description, README,
# LICENSE) are read as they stand now. Every file carries the release's date
# from doc/changelog (or SOURCE_DATE_EPOCH), the modes a umask of 022 gives,
# and root as its owner, so that the same source gives the same bytes
# whoever makes them, and whenever. It prints each package it made, and what
# it left out and why.
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
# The build first: it configures again where doc/changelog has changed, and
# so brings packaging.env up to date.
cmake --build "$build" >"$stage/build.log" || { cat "$stage/build.log"; exit 1; }
# shellcheck source=/dev/null
. "$build/packaging.env"
# (No Python byte code written beside the wheel module.)
export TZ=UTC LC_ALL=C PYTHONDONTWRITEBYTECODE=1
: "${SOURCE_DATE_EPOCH:=$release_epoch}"
export SOURCE_DATE_EPOCH

# install_into ROOT [PREFIX]: the install tree, stripped, into ROOT under PREFIX
# (/usr where given, ROOT itself where not).
install_into() {
    if [ -n "${2:-}" ]; then
        DESTDIR=$1 cmake --install "$build" --prefix "$2" --strip
    else
        cmake --install "$build" --prefix "$1" --strip
    fi >/dev/null
}
# settle ROOT: every file and folder under ROOT with the release's modes and time.
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
    {
        echo "Package: dcdcount"
        echo "Version: $version"
        echo "Architecture: $deb_architecture"
        echo "Maintainer: $contact"
        echo "Installed-Size: $kib"
        echo "Section: science"
        echo "Priority: optional"
        echo "Description: $summary"
        sed 's/^$/./; s/^/ /' doc/description.txt
    } >"$root/DEBIAN/control"
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
    # The changelog as rpmbuild takes it, newest first:
    #   * Wed Dec 09 2026 The dcdcount developers <...> - VERSION-1
    #   - First release: prints how many frames ...
    #     continued.
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

# One top folder: for a tarball bin/, share/man/ and share/doc/ (unpacked
# into ~/.local with --strip-components=1, it needs no root); for a .zip the
# program, USAGE.txt and LICENSE.txt.
make_tarball() {
    local top=dcdcount-$version-$triple
    install_into "$stage/tarball/$top"
    mkdir -p "$stage/tarball/$top/share/doc/dcdcount"
    cp README.md LICENSE "$stage/tarball/$top/share/doc/dcdcount/"
    settle "$stage/tarball"
    tar -c --sort=name --format=gnu --owner=root:0 --group=root:0 -C "$stage/tarball" "$top" |
        gzip -9n >"$out/$top.tar.gz"
    made "$top.tar.gz"
}

make_zip() {
    local top=dcdcount-$version-$triple
    install_into "$stage/zip/$top"
    settle "$stage/zip"
    rm -f "$out/$top.zip"
    (cd "$stage/zip" && find "$top" -type f | sort | zip -X -q "$out/$top.zip" -@)
    made "$top.zip"
}

# The program itself as the wheel's script, which pip puts on the
# environment's PATH: no Python launcher between the user and the program.
make_wheel() {
    local root=$stage/wheel name=dcdcount-$version platform
    mkdir -p "$root/$name.data/scripts" "$root/$name.dist-info"
    if [ "$system" = Windows ]; then
        cp "$stage/zip/dcdcount-$version-$triple/dcdcount.exe" "$root/$name.data/scripts/"
    else
        cp "$stage/tarball/dcdcount-$version-$triple/bin/dcdcount" "$root/$name.data/scripts/"
    fi
    cp LICENSE "$root/$name.dist-info/"
    {
        echo "Metadata-Version: 2.1"
        echo "Name: dcdcount"
        echo "Version: $version"
        echo "Summary: $summary"
        echo "Author: ${contact% <*}"
        echo "License: MIT"
        echo "License-File: LICENSE"
        echo "Classifier: Environment :: Console"
        echo "Classifier: License :: OSI Approved :: MIT License"
        echo "Classifier: Topic :: Scientific/Engineering :: Chemistry"
        echo "Description-Content-Type: text/markdown"
        echo
        cat README.md
    } >"$root/$name.dist-info/METADATA"
    {
        echo "Wheel-Version: 1.0"
        echo "Generator: dcdcount make_packages.sh"
        echo "Root-Is-Purelib: false"
        for platform in $wheel_platforms; do echo "Tag: py3-none-$platform"; done
    } >"$root/$name.dist-info/WHEEL"
    settle "$root"
    "$wheel_python" -m wheel pack "$root" -d "$out" | sed -n 's|.*/\(dcdcount-.*\.whl\).*|made: '"$out"'/\1|p'
}

if [ "$system" = Windows ]; then
    make_zip
else
    make_tarball
fi
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
# The wheel module may be missing from the python3 first on PATH (pyenv's,
# conda's) and present in the system's.
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
