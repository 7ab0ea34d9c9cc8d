#!/usr/bin/env bash
# Makes the release where only the source folder and the builds' cache can be
# written, and checks what a user gets from each file of dist/: the contents,
# owners, dates and lints of each package, the programs the same in all, the
# RPMs and wheels readable by the oldest systems we promise, and README's
# commands as an ordinary user runs them. Every failure is a FAIL line, and
# the checks go on.
# usage: packaging/check_packages.sh   (needs what release.sh needs, and
#        lintian, man-db, mount, qemu-user, rpmlint, unzip, python3-venv, twine)
set -euo pipefail
cd "$(dirname "$0")/.."

failed=0
fail() { echo "FAIL: $*"; failed=1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# In a mount namespace of its own the rest of the file system is read-only, so
# a write anywhere else fails the release, whatever other processes write. Its
# home is an empty folder it may write, which must stay empty: rpmbuild goes on
# where it cannot make its database there.
as_root=()
[ "$(id -u)" = 0 ] || as_root=(--user --map-root-user)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/dcdcount
mkdir -p build/tmp "$cache" "$work/home"
# Open to all, as /tmp is: apt, fetching musl-dev, writes there as its own user.
chmod 1777 build/tmp
# shellcheck disable=SC2016 # expanded by the namespace's bash
if unshare "${as_root[@]}" --mount --propagation private true 2>/dev/null; then
    unshare "${as_root[@]}" --mount --propagation private bash -c '
        mount --bind "$0" "$0" && mount --bind "$1" "$1" && mount --bind "$2" "$2" && mount -o remount,bind,ro / &&
            cd "$0" && TMPDIR=$0/build/tmp HOME=$2 XDG_CACHE_HOME=${1%/dcdcount} exec packaging/release.sh' \
        "$PWD" "$cache" "$work/home" >"$work/release.log" 2>&1 ||
        { cat "$work/release.log"
          fail "the release failed where only the source folder and the builds' cache can be written"; exit 1; }
    cat "$work/release.log"
    [ -z "$(ls -A "$work/home")" ] || fail "the release wrote in its home: $(ls -A "$work/home")"
else
    echo "note: no mount namespace here: the release is not kept from writing outside the source folder"
    packaging/release.sh
fi
# The checks' own rpm and rpmlint keep their database (~/.rpmdb on Debian) in the scratch folder.
export HOME=$work
(cd dist && sha256sum --quiet -c SHA256SUMS) || fail "sha256sum -c does not accept dist/SHA256SUMS"
[ "$(sed 's/^[0-9a-f]*  //' dist/SHA256SUMS)" = "$(cd dist && ls | grep -vx SHA256SUMS | LC_ALL=C sort)" ] ||
    fail "dist/SHA256SUMS does not name every other file of dist/"
version=$(sed -n '1s/^dcdcount (\([^)]*\)).*/\1/p' doc/changelog)
rpms=(dist/dcdcount-*.rpm)
zips=(dist/dcdcount-*-win32.zip dist/dcdcount-*-win64.zip)
trees=()

# listing TREE: the files under TREE, sorted, on one line.
listing() { (cd "$1" && find . -type f | LC_ALL=C sort | tr '\n' ' '); }

source_tarball=dist/dcdcount-$version.tar.gz
echo "== $source_tarball"
[ "$(tar -tzf "$source_tarball" | grep -v '/$' | sed "s|^dcdcount-$version/||" | LC_ALL=C sort)" = \
    "$(git ls-files | LC_ALL=C sort)" ] || fail "$source_tarball does not hold exactly the tracked files"
# The source tarball is made of the commit: a tree with what it would lack is refused, naming the file.
git clone -q . "$work/edited"
for change in 'echo "an edit" >>README.md' 'touch cmake/new-target.cmake'; do
    (cd "$work/edited" && git checkout -q -f HEAD && git clean -q -f && eval "$change" &&
        ! packaging/release.sh >"$work/edited.log" 2>&1 && grep -qE 'README.md|new-target' "$work/edited.log") ||
        fail "release.sh does not refuse a tree where: $change"
done
(cd build/release && cpack -G TGZ --config CPackSourceConfig.cmake -B "$work/cpack-source" >/dev/null) &&
    left=$(tar -tzf "$work"/cpack-source/*.tar.gz | { grep -E '/(dist|build|\.git)/' || true; } | head -n 3) &&
    [ -z "$left" ] || fail "CPack's source package holds what it should leave out: $left"

for deb in dist/dcdcount_*.deb; do
    echo "== $deb"
    [ -z "$(dpkg-deb --field "$deb" Depends)" ] || fail "the static build's package has dependencies"
    kib=$(dpkg-deb -c "$deb" | awk '$6 != "./" { kib += /^d/ ? 1 : int(($3 + 1023) / 1024) } END { print kib }')
    [ "$(dpkg-deb --field "$deb" Installed-Size)" = "$kib" ] ||
        fail "$deb: Installed-Size is not the $kib KiB it installs"
    # lintian renders the manual page too. Its remark about running as root is not about the package.
    lintian --fail-on error,warning "$deb" 2> >(grep -v 'running with root privileges' >&2) ||
        fail "lintian finds errors or warnings in $deb"
    tree=$work/${deb##*/}
    dpkg-deb -x "$deb" "$tree"
    trees+=("$tree")
    [ "$(listing "$tree")" = "./usr/bin/dcdcount ./usr/share/doc/dcdcount/changelog.gz \
./usr/share/doc/dcdcount/copyright ./usr/share/lintian/overrides/dcdcount ./usr/share/man/man1/dcdcount.1.gz " ] ||
        fail "$deb holds: $(listing "$tree")"
    cmp -s LICENSE "$tree/usr/share/doc/dcdcount/copyright" || fail "$deb's copyright is not the LICENSE"
done

for rpm in "${rpms[@]}"; do
    processor=${rpm%.rpm} && processor=${processor##*.}
    echo "== $rpm"
    rpmlint -c packaging/rpmlint.toml "$rpm" >"$work/rpmlint" 2>&1 || true
    cat "$work/rpmlint"
    grep -q ' 0 errors, 0 warnings' "$work/rpmlint" || fail "rpmlint finds errors or warnings in $rpm"
    # Readable by rpm 4.11 (RHEL and CentOS 7, SLES 12), the oldest we promise: an xz payload, and it
    # requires nothing but features of rpm that 4.11 has.
    [ "$(rpm -qp --qf '%{PAYLOADCOMPRESSOR}' "$rpm")" = xz ] || fail "$rpm's payload is not compressed with xz"
    features=$(rpm -qp --requires "$rpm" |
        grep -vxE 'rpmlib\((CompressedFileNames|FileDigests|PayloadFilesHavePrefix|PayloadIsXz)\).*' || true)
    [ -z "$features" ] || fail "$rpm requires what rpm 4.11 lacks: $features"
    [ "$(rpm -qp --licensefiles "$rpm")" = /usr/share/licenses/dcdcount/LICENSE ] || fail "$rpm has no %license"
    # Newest first, and each item of doc/changelog one item, as written.
    rpm -qp --changelog "$rpm" >"$work/changelog"
    [[ "$(head -n1 "$work/changelog")" == "* "*" - $version-1" ]] ||
        fail "$rpm's changelog does not open with $version-1: $(head -n1 "$work/changelog")"
    [ "$(grep '^- ' "$work/changelog")" = "$(sed -n 's/^  \* /- /p' doc/changelog)" ] ||
        fail "$rpm's changelog does not show the items of doc/changelog, one each, as written"
    tree=$work/$processor.rpm
    rpm --root "$tree" --ignorearch -i "$rpm" 2>/dev/null || fail "$rpm does not install"
    [ "$(listing "$tree/usr")" = "./bin/dcdcount ./share/licenses/dcdcount/LICENSE ./share/man/man1/dcdcount.1.gz " ] ||
        fail "$rpm installs: $(listing "$tree/usr")"
    trees+=("$tree")
    emulator=()
    [ "$processor" = "$(uname -m)" ] || emulator=("qemu-$processor")
    line=$("${emulator[@]}" "$tree/usr/bin/dcdcount" samples/run1-little-endian.dcd) || true
    [ "$line" = "samples/run1-little-endian.dcd contains 300 frames." ] ||
        fail "the $processor program${emulator:+ under ${emulator[*]}} printed: $line"
done
for tarball in dist/dcdcount-*-unknown-linux-*.tar.gz; do
    echo "== $tarball"
    tar -xzf "$tarball" -C "$work"
    tree=$work/$(basename "$tarball" .tar.gz)
    trees+=("$tree")
    [ "$(listing "$tree")" = "./bin/dcdcount ./share/doc/dcdcount/LICENSE ./share/doc/dcdcount/README.md \
./share/man/man1/dcdcount.1.gz " ] || fail "$tarball holds: $(listing "$tree")"
done
# One program for each processor, the same in its .deb, RPM and tarball.
programs() { sha256sum $1 | cut -d' ' -f1 | sort; }
ours=$(programs "$work/*.rpm/usr/bin/dcdcount")
[ "$(uniq <<<"$ours" | wc -l)" = "${#rpms[@]}" ] || fail "the RPMs do not hold one program each"
for others in "$work/*.deb/usr/bin/dcdcount" "$work/dcdcount-*-linux-*/bin/dcdcount"; do
    [ "$(programs "$others")" = "$ours" ] || fail "$others are other programs than the RPMs'"
done

# An ordinary user runs README's own lines for the tarball and the RPM, in a home of its own holding the release,
# with rpm's database the system's, as on RHEL-family systems, where such a user cannot write.
chmod -R a+rX "$work"
for command in "$(grep -o '`mkdir -p ~/.local && tar [^`]*`' README.md)" "$(grep -o '`rpm [^`]*\.rpm`' README.md)"; do
    command=${command//\`/}
    home=$work/home-${command%% *}
    mkdir "$home" && cp dist/* "$home" && cp samples/run1-little-endian.dcd "$home/run1.dcd"
    echo '%_dbpath /var/lib/rpm' >"$home/.rpmmacros"
    chown -R nobody "$home"
    echo "== as an ordinary user: $command"
    line=$(setpriv --reuid=nobody --regid=nogroup --clear-groups env -i HOME="$home" PATH=/usr/bin:/bin bash -c "
        cd && { $command; } && PATH=\$HOME/.local/bin:\$PATH && man -w dcdcount >/dev/null && dcdcount run1.dcd" \
        2>"$home.err") || true
    [ "$line" = "run1.dcd contains 300 frames." ] ||
        fail "README's command, run as written by an ordinary user, gave: $line $(cat "$home.err")"
done
# README's checksum line, in a folder holding SHA256SUMS and one download.
command=$(grep -o '`sha256sum [^`]*SHA256SUMS`' README.md | tr -d '`')
mkdir "$work/one" && cp dist/SHA256SUMS "${rpms[0]}" "$work/one"
(cd "$work/one" && $command) >"$work/one.out" 2>&1 ||
    fail "README's checksum line '$command', in a folder of one download: $(cat "$work/one.out")"

for zip in "${zips[@]}"; do
    echo "== $zip"
    top=$(basename "$zip" .zip)
    unzip -q "$zip" -d "$work/$top.zip"
    tree=$work/$top.zip/$top
    trees+=("$tree")
    [ "$(listing "$tree")" = "./LICENSE.txt ./USAGE.txt ./dcdcount.exe " ] || fail "$zip holds: $(listing "$tree")"
    for text in "$tree/USAGE.txt" "$tree/LICENSE.txt"; do
        [ -s "$text" ] && cmp -s "$text" <(tr -d '\r' <"$text" | sed 's/$/\r/') ||
            fail "${text##*/} does not end every line, the last one too, in exactly CR LF"
    done
    case "$top:$(objdump -f "$tree/dcdcount.exe" | sed -n 's/.*file format //p')" in
    *-win32:pei-i386 | *-win64:pei-x86-64) ;;
    *) fail "$zip holds a program of another format: $(objdump -f "$tree/dcdcount.exe")" ;;
    esac
done

# The wheels, tagged for every glibc since 2.17 (manylinux_2_17, and manylinux2014 for the processors that
# name defines) and every musl since 1.1 of each RPM's processor, and 32-bit or 64-bit Windows.
echo "== the wheels"
promised=$({
    for zip in "${zips[@]}"; do [[ $zip == *-win32.zip ]] && echo win32 || echo win_amd64; done
    for rpm in "${rpms[@]}"; do
        processor=${rpm%.rpm} && processor=${processor##*.}
        case $processor in
        x86_64 | i686 | aarch64 | armv7l | ppc64 | ppc64le | s390x) printf manylinux2014_%s. "$processor" ;;
        esac
        echo "manylinux_2_17_$processor.musllinux_1_1_$processor"
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
command=$(grep -o '`pip install [^`]*FOLDER[^`]*`' README.md | tr -d '`')
(PATH=$work/venv/bin:$PATH && ${command/FOLDER/dist}) >"$work/pip.out" 2>&1 ||
    fail "README's pip line '$command' does not install the wheel: $(cat "$work/pip.out")"
line=$(PATH=$work/venv/bin:$PATH && command -v dcdcount && dcdcount samples/run1-big-endian.dcd) || true
[ "$line" = "$work/venv/bin/dcdcount
samples/run1-big-endian.dcd contains 300 frames." ] || fail "dcdcount from the environment printed: $line"

left=$(find "${trees[@]}" -type f -exec zgrep -IlE '@[A-Z][A-Z_]*@' {} + || true)
[ -z "$left" ] || fail "packaged texts with an unexpanded @NAME@: $left"

[ "$failed" = 0 ] && echo "packages: all checks passed"
exit "$failed"
