#!/usr/bin/env bash
# Makes the release (packaging/release.sh) and checks what a user gets from
# each of its files: SHA256SUMS that sha256sum -c accepts; the source tarball
# holding exactly the tracked files, sorted, owned by root and dated the
# release's, which builds and passes its tests with no git, and a tree with
# changes not committed refused; every .deb,
# checked by lintian, and its Installed-Size, the one of this machine's
# architecture installed into a scratch root with dpkg; every RPM, checked by
# rpmlint, its changelog, installed into a fresh root and its program run
# (under qemu-user where it is for another processor); the tarballs, sorted,
# owned by root and dated the release's, this machine's unpacked into
# ~/.local by an ordinary user, who also installs its RPM relocated into their
# home, each by README's own command; the same programs in the .debs, the
# RPMs and the tarballs; the wheels, checked by twine, one installed by pip
# into a fresh environment, and each platform's pip taking its own; the
# Windows .zips, their texts in exactly CR LF; no @NAME@ left in any
# packaged text; and that the release writes nothing outside the source
# folder and the builds' cache. Every failure is a FAIL line with its cause,
# and the checks go on.
# usage: packaging/check_packages.sh   (needs what release.sh needs, and
#        lintian, man-db, mount, qemu-user, rpmlint, unzip, python3-venv, twine)
set -euo pipefail
cd "$(dirname "$0")/.."

failed=0
fail() { echo "FAIL: $*"; failed=1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The release, made where only the source folder (its build folders, dist/
# and .git) and the builds' own cache (the musl roots that cmake/musl.cmake
# makes where they are missing) can be written: in a mount namespace of its
# own, the rest of the file system read-only, its scratch files in build/tmp.
# A write anywhere else fails it, and what another process on this machine
# writes meanwhile does not matter.
as_root=()
[ "$(id -u)" = 0 ] || as_root=(--user --map-root-user)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/dcdcount
mkdir -p build/tmp "$cache"
# Open to all, as /tmp is: apt, fetching musl-dev, writes its scratch files
# there as its own unprivileged user.
chmod 1777 build/tmp
# shellcheck disable=SC2016 # expanded by the namespace's bash
if unshare "${as_root[@]}" --mount --propagation private true 2>/dev/null; then
    unshare "${as_root[@]}" --mount --propagation private bash -c '
        mount --bind "$0" "$0" && mount --bind "$1" "$1" && mount -o remount,bind,ro / &&
            cd "$0" && TMPDIR=$0/build/tmp exec packaging/release.sh' "$PWD" "$cache" >"$work/release.log" 2>&1 ||
        { cat "$work/release.log"
          fail "the release failed where only the source folder and the builds' cache can be written"; exit 1; }
    cat "$work/release.log"
else
    echo "note: no mount namespace here: the release is not kept from writing outside the source folder"
    packaging/release.sh
fi
# The checks' own rpm and rpmlint keep their package database (~/.rpmdb on
# Debian) in the scratch folder too.
export HOME=$work
(cd dist && sha256sum --quiet -c SHA256SUMS) || fail "sha256sum -c does not accept dist/SHA256SUMS"
[ "$(sed 's/^[0-9a-f]*  //' dist/SHA256SUMS)" = "$(cd dist && ls | grep -vx SHA256SUMS | LC_ALL=C sort)" ] ||
    fail "dist/SHA256SUMS does not name every other file of dist/"
# The release's version and date, as doc/changelog's top entry gives them.
version=$(sed -n '1s/^dcdcount (\([^)]*\)).*/\1/p' doc/changelog)
release=$(date -u -d "$(sed -n 's/^ -- .*>  //p' doc/changelog | head -1)" '+%F %T')
debs=(dist/dcdcount_*.deb)
rpms=(dist/dcdcount-*.rpm)
tarballs=(dist/dcdcount-*-unknown-linux-*.tar.gz)
deb=dist/dcdcount_${version}_$(dpkg --print-architecture).deb
zips=(dist/dcdcount-*-win32.zip dist/dcdcount-*-win64.zip)
trees=()

# tarball_is_clean TARBALL: its entries sorted, each owned by root (by name
# and by number), with the modes a umask of 022 gives and the release's time.
tarball_is_clean() {
    local names odd
    names=$(tar -tzf "$1")
    LC_ALL=C sort -c <<<"$names" || fail "$1 is not sorted"
    odd=$({ tar -tvzf "$1" --full-time | grep -vE "^(drwxr-xr-x|-rw-r--r--|-rwxr-xr-x) root/root +[0-9]+ $release "
        tar -tvzf "$1" --numeric-owner | grep -v ' 0/0 '; } || true)
    [ -z "$odd" ] || fail "$1 has entries not owned by root, with other modes or times: $odd"
}

# The source: exactly the tracked files; with no git at hand, it builds and
# passes its tests, and its release preset makes the x86-64 packages again,
# to the bytes SHA256SUMS gives, as a user checking a download would.
source_tarball=dist/dcdcount-$version.tar.gz
echo "== $source_tarball"
[ -f "$source_tarball" ] || fail "the release has no $source_tarball"
tarball_is_clean "$source_tarball"
top=$(basename "$source_tarball" .tar.gz)
[ "$(tar -tzf "$source_tarball" | grep -v '/$' | sed "s|^$top/||" | LC_ALL=C sort)" = \
    "$(git ls-files | LC_ALL=C sort)" ] || fail "$source_tarball does not hold exactly the tracked files"
sums=$PWD/dist/SHA256SUMS
# A tree with an edit not committed, or a file that git does not track, is
# refused, naming the file: the source tarball, made of the commit, would
# lack it.
git clone -q . "$work/edited"
for change in 'echo "an edit" >>README.md' 'touch cmake/new-target.cmake'; do
    (cd "$work/edited" && git checkout -q -f HEAD && git clean -q -f && eval "$change" &&
        ! packaging/release.sh >"$work/edited.log" 2>&1 && grep -qE 'README.md|new-target' "$work/edited.log") ||
        fail "release.sh does not refuse a tree where: $change"
done
# CPack's own source package leaves out what builds and releases leave in the
# source folder, dist/ among them, and .git.
(cd build/release && cpack -G TGZ --config CPackSourceConfig.cmake -B "$work/cpack-source" >/dev/null) &&
    left=$(tar -tzf "$work"/cpack-source/*.tar.gz | { grep -E '/(dist|build|\.git)/' || true; } | head -n 3) &&
    [ -z "$left" ] || fail "CPack's source package holds what it should leave out: $left"
mkdir "$work/source" && tar -xzf "$source_tarball" -C "$work/source"
(cd "$work/source/$top" && export GIT_DIR=/nonexistent && cmake -S . -B build && cmake --build build &&
    ctest --test-dir build --output-on-failure) >"$work/source.log" 2>&1 ||
    { cat "$work/source.log"; fail "$source_tarball does not build and pass its tests without git"; }
grep -E 'tests passed|Link:' "$work/source.log"
(cd "$work/source/$top" && export GIT_DIR=/nonexistent &&
    cmake --preset release -DBUILD_TESTING=OFF && packaging/make_packages.sh build/release packages &&
    cd packages && sha256sum -c --ignore-missing "$sums") >"$work/source.log" 2>&1 ||
    { cat "$work/source.log"; fail "$source_tarball does not make the release's x86-64 packages again"; }
grep ': OK$' "$work/source.log"
[ "$(grep -c ': OK$' "$work/source.log")" = 4 ] ||
    fail "$source_tarball does not make the four x86-64 packages again (.deb, RPM, tarball, wheel)"

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

for package in "${debs[@]}"; do
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
    dpkg-deb -x "$package" "$work/${package##*/}"
    trees+=("$work/${package##*/}")
done

root=$work/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
dpkg --root="$root" --force-script-chrootless -i "$deb" || fail "$deb does not install with dpkg"
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

# programs PATTERN: the checksums of the programs at the paths PATTERN
# names, sorted.
programs() { sha256sum $1 | cut -d' ' -f1 | sort; }
for rpm in "${rpms[@]}"; do
    processor=${rpm%.rpm} && processor=${processor##*.}
    echo "== $rpm"
    rpmlint -c packaging/rpmlint.toml "$rpm" >"$work/rpmlint" 2>&1 || true
    cat "$work/rpmlint"
    grep -q ' 0 errors, 0 warnings' "$work/rpmlint" || fail "rpmlint finds errors or warnings in $rpm"
    [ -z "$(rpm -qp --requires "$rpm" | grep -v '^rpmlib(')" ] || fail "$rpm requires more than rpm itself"
    # Readable by rpm 4.11 (RHEL and CentOS 7, SLES 12), the oldest we
    # promise: an xz payload, and no feature of rpm that it lacks.
    [ "$(rpm -qp --qf '%{PAYLOADCOMPRESSOR}' "$rpm")" = xz ] || fail "$rpm's payload is not compressed with xz"
    features=$(rpm -qp --requires "$rpm" | sed -n 's/^rpmlib(\([^)]*\)).*/\1/p' |
        grep -vxE 'CompressedFileNames|FileDigests|PayloadFilesHavePrefix|PayloadIsXz' || true)
    [ -z "$features" ] || fail "$rpm needs what rpm 4.11 lacks: $features"
    [ "$(rpm -qp --licensefiles "$rpm")" = /usr/share/licenses/dcdcount/LICENSE ] || fail "$rpm has no %license"
    # Newest first, the release's own entry, and each item of doc/changelog
    # one item, as written.
    rpm -qp --changelog "$rpm" >"$work/changelog"
    [[ "$(head -n1 "$work/changelog")" == "* "*" - $version-1" ]] ||
        fail "$rpm's changelog does not open with $version-1: $(head -n1 "$work/changelog")"
    [ "$(grep -c '^- ' "$work/changelog")" = "$items" ] ||
        fail "$rpm's changelog does not show the $items items of doc/changelog, one each"
    while IFS= read -r item; do
        grep -qxF -- "$item" "$work/changelog" || fail "$rpm's changelog lacks the item: $item"
    done < <(sed -n 's/^  \* /- /p' doc/changelog)
    rpm --root "$work/$processor.rpm" --ignorearch -i "$rpm" 2>/dev/null || fail "$rpm does not install"
    installed=$(cd "$work/$processor.rpm" && find usr | sort | tr '\n' ' ')
    [ "$installed" = "usr usr/bin usr/bin/dcdcount usr/share usr/share/licenses usr/share/licenses/dcdcount \
usr/share/licenses/dcdcount/LICENSE usr/share/man usr/share/man/man1 usr/share/man/man1/dcdcount.1.gz " ] ||
        fail "$rpm installs: $installed"
    trees+=("$work/$processor.rpm")
    emulator=()
    [ "$processor" = "$(uname -m)" ] || emulator=("qemu-$processor")
    line=$("${emulator[@]}" "$work/$processor.rpm/usr/bin/dcdcount" samples/run1-little-endian.dcd) || true
    [ "$line" = "samples/run1-little-endian.dcd contains 300 frames." ] ||
        fail "the $processor program${emulator:+ under ${emulator[*]}} printed: $line"
done
for tarball in "${tarballs[@]}"; do
    echo "== $tarball"
    tarball_is_clean "$tarball"
    top=$(basename "$tarball" .tar.gz)
    entries=$(tar -tzf "$tarball" | sed "s|^$top/||" | tr '\n' ' ')
    [ "$entries" = " bin/ bin/dcdcount share/ share/doc/ share/doc/dcdcount/ share/doc/dcdcount/LICENSE \
share/doc/dcdcount/README.md share/man/ share/man/man1/ share/man/man1/dcdcount.1.gz " ] ||
        fail "$tarball holds: $entries"
    tar -xzf "$tarball" -C "$work"
    trees+=("$work/$top")
done
# One program for each processor, the same in its .deb, RPM and tarball.
ours=$(programs "$work/*.rpm/usr/bin/dcdcount")
[ "$(uniq <<<"$ours" | wc -l)" = "${#rpms[@]}" ] || fail "the RPMs do not hold one program each"
[ "$(programs "$work/*.deb/usr/bin/dcdcount")" = "$ours" ] || fail "the .debs hold other programs than the RPMs"
[ "$(programs "$work/dcdcount-*-linux-*/bin/dcdcount")" = "$ours" ] ||
    fail "the tarballs hold other programs than the RPMs"
[ "${#debs[@]}" = "${#rpms[@]}" ] && [ "${#tarballs[@]}" = "${#rpms[@]}" ] ||
    fail "not a .deb, an RPM and a tarball for each program: ${debs[*]} ${rpms[*]} ${tarballs[*]}"

# An ordinary user, without root, runs README's own commands as written, each
# in a home of its own holding what the release gave: the tarball unpacked
# into ~/.local, and the RPM relocated there; then finds the program on the
# PATH that README names, and its manual page.
chmod -R a+rX "$work"
for command in "$(grep -o '`mkdir -p ~/.local && tar [^`]*`' README.md)" "$(grep -o '`rpm [^`]*\.rpm`' README.md)"; do
    command=${command//\`/}
    home=$work/home-${command%% *}
    mkdir "$home" && cp dist/* "$home" && cp samples/run1-little-endian.dcd "$home/run1.dcd"
    # rpm's database is the system's, as on RHEL-family systems (Debian's rpm
    # keeps one per user, in ~/.rpmdb), where an ordinary user cannot write.
    echo '%_dbpath /var/lib/rpm' >"$home/.rpmmacros"
    chown -R nobody "$home"
    echo "== as an ordinary user: $command"
    line=$(setpriv --reuid=nobody --regid=nogroup --clear-groups env -i HOME="$home" PATH=/usr/bin:/bin bash -c "
        cd && { $command; } && PATH=\$HOME/.local/bin:\$PATH && man -w dcdcount >/dev/null && dcdcount run1.dcd" \
        2>"$home.err") || true
    [ "$line" = "run1.dcd contains 300 frames." ] ||
        fail "README's command, run as written by an ordinary user, gave: $line $(cat "$home.err")"
done

# README's checksum line, as written, in a folder holding SHA256SUMS and one
# download.
command=$(grep -o '`sha256sum [^`]*SHA256SUMS`' README.md | tr -d '`')
mkdir "$work/one" && cp dist/SHA256SUMS "$deb" "$work/one"
(cd "$work/one" && $command) >"$work/one.out" 2>&1 ||
    fail "README's checksum line '$command', in a folder of one download: $(cat "$work/one.out")"

for zip in "${zips[@]}"; do
    echo "== $zip"
    folder=$(basename "$zip" .zip)
    unzip -q "$zip" -d "$work/$folder"
    trees+=("$work/$folder")
    contents=$(cd "$work/$folder" && find . -type f | sort | tr '\n' ' ')
    [ "$contents" = "./$folder/LICENSE.txt ./$folder/USAGE.txt ./$folder/dcdcount.exe " ] ||
        fail "zip holds: $contents"
    # Every line, the last one too, ends in exactly CR LF, and no CR stands elsewhere.
    for text in "$work/$folder/$folder/USAGE.txt" "$work/$folder/$folder/LICENSE.txt"; do
        [ -s "$text" ] && cmp -s "$text" <(tr -d '\r' <"$text" | sed 's/$/\r/') ||
            fail "${text##*/} does not end every line, the last one too, in exactly CR LF"
    done
    format=$(objdump -f "$work/$folder/$folder/dcdcount.exe" | sed -n 's/.*file format //p')
    case "$folder:$format" in
    *-win32:pei-i386 | *-win64:pei-x86-64) ;;
    *) fail "$zip holds a program of format $format" ;;
    esac
done

# The wheels: one for each program, tagged for the systems we promise: every
# glibc since 2.17 (manylinux_2_17, and manylinux2014 for the processors that
# tag names) and every musl since 1.1 of its processor, 32-bit or 64-bit
# Windows; each holding the program as the platform runs it; valid for PyPI;
# installed from dist/ alone into a fresh environment, which then has
# dcdcount on its PATH; and each platform's pip takes exactly its own wheel.
echo "== the wheels"
promised=$({
    for zip in "${zips[@]}"; do [[ $zip == *-win32.zip ]] && echo win32 || echo win_amd64; done
    for rpm in "${rpms[@]}"; do
        processor=${rpm%.rpm} && processor=${processor##*.}
        tags=manylinux_2_17_$processor.musllinux_1_1_$processor
        case $processor in
        x86_64 | i686 | aarch64 | armv7l | ppc64 | ppc64le | s390x) tags=manylinux2014_$processor.$tags ;;
        esac
        echo "$tags"
    done
} | sort)
tagged=$(for wheel in dist/*.whl; do tags=${wheel##*-} && echo "${tags%.whl}"; done | sort)
[ "$promised" = "$tagged" ] || fail "the wheels are tagged $(echo $tagged), not as promised: $(echo $promised)"
for wheel in dist/*.whl; do
    case $wheel in *-win*) script=dcdcount.exe ;; *) script=dcdcount ;; esac
    [ "$(unzip -Z1 "$wheel" | grep '\.data/')" = "dcdcount-$version.data/scripts/$script" ] ||
        fail "$wheel does not install its program as $script: $(unzip -Z1 "$wheel" | tr '\n' ' ')"
done
twine check --strict dist/*.whl || fail "twine check finds fault with the wheels"
python3 -m venv "$work/venv"
# README's pip line, as written, FOLDER being dist/.
command=$(grep -o '`pip install [^`]*FOLDER[^`]*`' README.md | tr -d '`')
(PATH=$work/venv/bin:$PATH && ${command/FOLDER/dist}) >"$work/pip.out" 2>&1 ||
    fail "README's pip line '$command' does not install the wheel: $(cat "$work/pip.out")"
line=$(PATH=$work/venv/bin:$PATH && command -v dcdcount && dcdcount samples/run1-big-endian.dcd) || true
[ "$line" = "$work/venv/bin/dcdcount
samples/run1-big-endian.dcd contains 300 frames." ] || fail "dcdcount from the environment printed: $line"
# Every platform tag of every wheel: pip for that platform takes exactly that
# wheel (manylinux_2_17_x86_64, musllinux_1_1_x86_64, win_amd64, win32 ...).
for wheel in dist/*.whl; do
    tags=${wheel##*-} && tags=${tags%.whl}
    for platform in ${tags//./ }; do
        rm -rf "$work/download"
        "$work/venv/bin/pip" download -q --no-index --find-links dist --only-binary=:all: --platform "$platform" \
            -d "$work/download" dcdcount || fail "pip for $platform finds no wheel"
        taken=$(ls "$work/download")
        echo "$platform: $taken"
        [ "$taken" = "${wheel#dist/}" ] || fail "pip for $platform takes $taken, not ${wheel#dist/}"
    done
done

left=$(for tree in "$root/usr" "${trees[@]}"; do placeholders "$tree"; done)
[ -z "$left" ] || fail "packaged texts with an unexpanded @NAME@: $left"

[ "$failed" = 0 ] && echo "packages: all checks passed"
exit "$failed"
