#!/usr/bin/env bash
# Makes the release under umask 077, where only the source folder and the builds' cache can be written, and checks
# each file of dist/ against what README promises: each file its install table names, and no other, for the processor
# its name gives; the same program and manual page in every package of a processor; every date the changelog's, as
# date(1) reads it; each package's contents, owners and lints; README's commands, and building.md's for packages made
# again, as written; and that each package this machine can install leaves nothing once removed. Every failure is a
# FAIL line, and the checks go on.
# usage: packaging/check_packages.sh   (needs what release.sh needs, and
#        lintian, man-db, mount, qemu-user, rpmlint, unzip, python3-venv, twine)
set -euo pipefail
cd "$(dirname "$0")/.."

failed=0
fail() { echo "FAIL: $*"; failed=1; }

work=$(mktemp -d)
trap 'rm -rf "$work" packages' EXIT
# In a mount namespace of its own the rest of the file system is read-only, so a write anywhere else fails the
# release, whatever other processes write. Its home is an empty folder it may write, which must stay empty: rpmbuild
# goes on where it cannot make its database there.
as_root=()
[ "$(id -u)" = 0 ] || as_root=(--user --map-root-user)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/dcdcount
mkdir -p build/tmp "$cache" "$work/home"
# Open to all, as /tmp is: apt, fetching musl-dev, writes there as its own user.
chmod 1777 build/tmp
# shellcheck disable=SC2016 # expanded by the namespace's bash
if unshare "${as_root[@]}" --mount --propagation private true 2>/dev/null; then
    unshare "${as_root[@]}" --mount --propagation private bash -c 'umask 077
        mount --bind "$0" "$0" && mount --bind "$1" "$1" && mount --bind "$2" "$2" && mount -o remount,bind,ro / &&
            cd "$0" && TMPDIR=$0/build/tmp HOME=$2 XDG_CACHE_HOME=${1%/dcdcount} exec packaging/release.sh' \
        "$PWD" "$cache" "$work/home" >"$work/release.log" 2>&1 ||
        { cat "$work/release.log"
          fail "the release failed where only the source folder and the builds' cache can be written"; exit 1; }
    cat "$work/release.log"
    [ -z "$(ls -A "$work/home")" ] || fail "the release wrote in its home: $(ls -A "$work/home")"
else
    echo "note: no mount namespace here: the release is not kept from writing outside the source folder"
    (umask 077 && packaging/release.sh)
fi
# Made under umask 077, as a packager's may be: what it makes is still readable by all.
unreadable=$(find dist -type f ! -perm -444)
[ -z "$unreadable" ] || fail "the release, made under umask 077, has files not readable by all: $unreadable"
# The checks' own rpm and rpmlint keep their database (~/.rpmdb on Debian) in the scratch folder.
export HOME=$work
(cd dist && sha256sum --quiet -c SHA256SUMS) || fail "sha256sum -c does not accept dist/SHA256SUMS"
[ "$(sed 's/^[0-9a-f]*  //' dist/SHA256SUMS)" = "$(cd dist && ls | grep -vx SHA256SUMS | LC_ALL=C sort)" ] ||
    fail "dist/SHA256SUMS does not name every other file of dist/"
# The release's version and date as the changelog's top entry gives them, read by date(1).
version=$(sed -n '1s/^dcdcount (\([^)]*\)).*/\1/p' doc/changelog)
stamp=$(sed -n '0,/^ -- /s/^ -- .*>  //p' doc/changelog)
dated=$(date -u -d "$stamp" '+%F %T') && [ "$(date -u -d "$stamp" +%a)" = "${stamp%%,*}" ] ||
    fail "date(1) does not read the changelog's date '$stamp' as it says: $dated"

# named FILE: the processor (or Windows) that a file's name promises.
named() {
    case $(grep -oE 'amd64|x86_64|arm64|aarch64|ppc64el|powerpc64le|ppc64le|win_amd64|win64|win32' <<<"${1##*/}" |
        head -n1) in
    amd64 | x86_64) echo x86_64 ;; arm64 | aarch64) echo aarch64 ;; ppc64el | powerpc64le | ppc64le) echo ppc64le ;;
    win_amd64 | win64) echo win64 ;; win32) echo win32 ;; *) echo "no processor" ;;
    esac
}
# wheel PROCESSOR: the name of the wheel for PROCESSOR (or a Windows), tagged for every glibc since 2.17
# (manylinux_2_17, and manylinux2014 for the processors that name defines) and every musl since 1.1.
wheel() {
    case $1 in
    win64) echo "dcdcount-$version-py3-none-win_amd64.whl" ;;
    win32) echo "dcdcount-$version-py3-none-win32.whl" ;;
    x86_64 | i686 | aarch64 | armv7l | ppc64 | ppc64le | s390x)
        echo "dcdcount-$version-py3-none-manylinux2014_$1.manylinux_2_17_$1.musllinux_1_1_$1.whl" ;;
    *) echo "dcdcount-$version-py3-none-manylinux_2_17_$1.musllinux_1_1_$1.whl" ;;
    esac
}
# What README promises, file by file: each name of its Install section, its version where it has a *, is a file of
# dist/; with a wheel of each RPM's processor and each Windows, the source and SHA256SUMS, they are all of dist/.
promised=$(awk '/^## Install/ { on = 1 } /^\*\*From source/ { exit } on' README.md |
    grep -o 'dcdcount[-_][*][^`* ]*' | sort -u)
expected="dcdcount-$version.tar.gz SHA256SUMS"
for name in $promised; do
    found=$(cd dist && ls -d "${name//\*/$version}" 2>/dev/null || true)
    [ "$(wc -w <<<"$found")" = 1 ] || fail "README names $name, and dist/ has for it: ${found:-nothing}"
    expected+=" $found"
    case $name in *.rpm | *.zip) expected+=" $(wheel "$(named "$name")")" ;; esac
done
# The names of building.md's Packages table, their placeholders filled: each names files of dist/.
names=$(sed -n 's/^| `\(dcdcount[-_][^`]*\)` | .*/\1/p' doc/building.md | sed -E "s/VERSION/$version/; s/[A-Z]+/*/")
for name in $names; do
    (cd dist && ls -d $name >/dev/null 2>&1) || fail "building.md names $name, which the release does not make"
done
[ "$(wc -w <<<"$names")" -ge 5 ] || fail "building.md's Packages table names only: $names"
[ "$(tr ' ' '\n' <<<"$expected" | LC_ALL=C sort -u)" = "$(cd dist && ls | LC_ALL=C sort)" ] ||
    fail "dist/ holds otherwise than README promises: $(diff <(tr ' ' '\n' <<<"$expected" | LC_ALL=C sort -u) \
<(cd dist && ls | LC_ALL=C sort) | grep '^[<>]' | tr '\n' ' ')"

# machine PROGRAM: the processor (or Windows) that its header names.
bytes() { od -An -tx1 -j"$2" -N"$3" "$1" | tr -d ' \n'; }
machine() {
    local pe
    case $(bytes "$1" 0 4):$(bytes "$1" 5 1):$(bytes "$1" 18 2) in
    7f454c46:01:3e00) echo x86_64 ;; 7f454c46:01:b700) echo aarch64 ;; 7f454c46:01:1500) echo ppc64le ;;
    4d5a*) pe=$(bytes "$1" 60 4 | sed -E 's/(..)(..)(..)(..)/\4\3\2\1/')
        case $(bytes "$1" $((16#$pe + 4)) 2) in 6486) echo win64 ;; 4c01) echo win32 ;; *) echo "another PE" ;; esac ;;
    *) echo "another format" ;;
    esac
}
# holds PACKAGE PROGRAM [MANUAL]: PACKAGE's program is for the processor its name promises, and the same as every
# other package's for it; its manual page, titled with the release's version and date, the same as every other's.
declare -A sums held
manuals=()
holds() {
    local processor sum
    processor=$(named "$1")
    [ "$(machine "$2")" = "$processor" ] || fail "$1 holds a program for $(machine "$2"), not for $processor"
    sum=$(sha256sum <"$2")
    : "${sums[$processor]:=$sum}"
    [ "${sums[$processor]}" = "$sum" ] ||
        fail "$1 holds another program than$(cut -d' ' -f1-2 <<<"${held[$processor]}")"
    held[$processor]+=" ${1##*/}"
    [ -n "${3-}" ] || return 0
    manuals+=("$(sha256sum <"$3")")
    [ "$(zcat "$3" | head -n1)" = ".TH DCDCOUNT 1 ${dated% *} \"dcdcount $version\" \"User Commands\"" ] ||
        fail "$1's manual page is titled: $(zcat "$3" | head -n1)"
}
# times FILE: the time of each member of FILE, and of FILE's own headers, as date(1) prints it (UTC).
times() {
    case $1 in
    *.tar.gz) tar -tvzf "$1" --full-time --utc | awk '{ print $4, $5 }' ;;
    *.zip | *.whl) unzip -Z -T "$1" | sed -nE 's/.* ([0-9]{8})\.(..)(..)(..) .*/\1 \2:\3:\4/p' |
        date -u -f - '+%F %T' ;;
    *.deb) TZ=UTC LC_ALL=C ar tv "$1" | awk '{ print $4, $5, $6, $7 }' | date -u -f - '+%F %T'
        for part in --ctrl-tarfile --fsys-tarfile; do
            dpkg-deb $part "$1" | tar -tv --full-time --utc | awk '{ print $4, $5 }'
        done ;;
    *.rpm) rpm -qp --qf '%{BUILDTIME}\n[%{FILEMTIMES}\n]' "$1" | sed 's/^/@/' | date -u -f - '+%F %T' ;;
    esac
}
for file in dist/dcdcount*; do
    stamps=$(times "$file")
    wrong=$(sort <<<"$stamps" | uniq -c | grep -v " $dated\$" || true)
    [ -n "$stamps" ] && [ -z "$wrong" ] || fail "$file holds times other than $dated: ${wrong:-none}"
done

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
    [ "$(named "$(dpkg-deb --field "$deb" Architecture)")" = "$(named "$deb")" ] || fail "$deb: another Architecture"
    [ "$(dpkg-deb --field "$deb" Version)" = "$version" ] || fail "$deb: another Version"
    kib=$(dpkg-deb -c "$deb" | awk '$6 != "./" { kib += /^d/ ? 1 : int(($3 + 1023) / 1024) } END { print kib }')
    [ "$(dpkg-deb --field "$deb" Installed-Size)" = "$kib" ] ||
        fail "$deb: Installed-Size is not the $kib KiB it installs"
    # lintian renders the manual page too. Its remark about running as root is not about the package.
    lintian --fail-on error,warning "$deb" 2> >(grep -v 'running with root privileges' >&2) ||
        fail "lintian finds errors or warnings in $deb"
    tree=$work/${deb##*/}
    dpkg-deb -x "$deb" "$tree"
    [ "$(listing "$tree")" = "./usr/bin/dcdcount ./usr/share/doc/dcdcount/changelog.gz \
./usr/share/doc/dcdcount/copyright ./usr/share/lintian/overrides/dcdcount ./usr/share/man/man1/dcdcount.1.gz " ] ||
        fail "$deb holds: $(listing "$tree")"
    cmp -s LICENSE "$tree/usr/share/doc/dcdcount/copyright" || fail "$deb's copyright is not the LICENSE"
    zcat "$tree/usr/share/doc/dcdcount/changelog.gz" | cmp -s doc/changelog - || fail "$deb's changelog is not ours"
    holds "$deb" "$tree/usr/bin/dcdcount" "$tree/usr/share/man/man1/dcdcount.1.gz"
done

# doc/changelog as rpm shows a changelog, newest first, each entry dated by date(1).
rpm_changelog=$(while IFS= read -r line; do
    case $line in
    "dcdcount ("*) entry=${line#dcdcount (} && entry=${entry%%)*} && items='' ;;
    "  * "*) items+="- ${line#  \* }"$'\n' ;;
    "    "*) items+="  ${line#    }"$'\n' ;;
    " -- "*) printf '%s* %s %s - %s-1\n%s' "${gap-}" "$(date -u -d "${line##*>  }" '+%a %b %d %Y')" \
        "$(sed 's/^ -- \(.*>\)  .*/\1/' <<<"$line")" "$entry" "$items" && gap=$'\n' ;;
    esac
done <doc/changelog)
rpms=(dist/dcdcount-*.rpm)
for rpm in "${rpms[@]}"; do
    processor=${rpm%.rpm} && processor=${processor##*.}
    echo "== $rpm"
    [ "$(named "$(rpm -qp --qf '%{ARCH}' "$rpm")")" = "$(named "$rpm")" ] || fail "$rpm: another architecture"
    [ "$(rpm -qp --qf '%{VERSION}-%{RELEASE}' "$rpm")" = "$version-1" ] || fail "$rpm: another version"
    rpmlint -c packaging/rpmlint.toml "$rpm" >"$work/rpmlint" 2>&1 || true
    cat "$work/rpmlint"
    grep -q ' 0 errors, 0 warnings' "$work/rpmlint" || fail "rpmlint finds errors or warnings in $rpm"
    # Readable by rpm 4.11 (RHEL and CentOS 7, SLES 12), the oldest we promise: an xz payload, and it requires nothing
    # but features of rpm that 4.11 has.
    [ "$(rpm -qp --qf '%{PAYLOADCOMPRESSOR}' "$rpm")" = xz ] || fail "$rpm's payload is not compressed with xz"
    features=$(rpm -qp --requires "$rpm" |
        grep -vxE 'rpmlib\((CompressedFileNames|FileDigests|PayloadFilesHavePrefix|PayloadIsXz)\).*' || true)
    [ -z "$features" ] || fail "$rpm requires what rpm 4.11 lacks: $features"
    [ "$(rpm -qp --licensefiles "$rpm")" = /usr/share/licenses/dcdcount/LICENSE ] || fail "$rpm has no %license"
    [ "$(rpm -qp --changelog "$rpm")" = "$rpm_changelog" ] || fail "$rpm's changelog is not doc/changelog's:
$(diff <(rpm -qp --changelog "$rpm") - <<<"$rpm_changelog")"
    # rpm keeps a changelog's day as its noon.
    [ "$(rpm -qp --qf '%{CHANGELOGTIME}' "$rpm")" = "$(date -u -d "${dated% *} 12:00" +%s)" ] ||
        fail "$rpm's changelog is not dated ${dated% *}"
    # Installed and removed again in a root of its own: nothing but rpm's database is left.
    tree=$work/$processor.rpm
    rpm --root "$tree" --dbpath /rpmdb --ignorearch -i "$rpm" 2>/dev/null || fail "$rpm does not install"
    [ "$(listing "$tree/usr")" = "./bin/dcdcount ./share/licenses/dcdcount/LICENSE ./share/man/man1/dcdcount.1.gz " ] ||
        fail "$rpm installs: $(listing "$tree/usr")"
    holds "$rpm" "$tree/usr/bin/dcdcount" "$tree/usr/share/man/man1/dcdcount.1.gz"
    emulator=()
    [ "$processor" = "$(uname -m)" ] || emulator=("qemu-$processor")
    line=$("${emulator[@]}" "$tree/usr/bin/dcdcount" samples/run1-little-endian.dcd) || true
    [ "$line" = "samples/run1-little-endian.dcd contains 300 frames." ] ||
        fail "the $processor program${emulator:+ under ${emulator[*]}} printed: $line"
    rpm --root "$tree" --dbpath /rpmdb -e dcdcount 2>/dev/null || fail "$rpm does not remove"
    [ -z "$(find "$tree" -path "$tree/rpmdb" -prune -o ! -type d -print)" ] ||
        fail "$rpm leaves, removed: $(find "$tree" -path "$tree/rpmdb" -prune -o ! -type d -print)"
done
for tarball in dist/dcdcount-*-unknown-linux-*.tar.gz; do
    echo "== $tarball"
    tar -xzf "$tarball" -C "$work"
    tree=$work/$(basename "$tarball" .tar.gz)
    [ "$(listing "$tree")" = "./bin/dcdcount ./share/doc/dcdcount/LICENSE ./share/doc/dcdcount/README.md \
./share/man/man1/dcdcount.1.gz " ] || fail "$tarball holds: $(listing "$tree")"
    holds "$tarball" "$tree/bin/dcdcount" "$tree/share/man/man1/dcdcount.1.gz"
done

# An ordinary user runs README's own lines for the tarball and the RPM, in a home of its own holding the release, with
# rpm's database the system's, as on RHEL-family systems, where such a user cannot write.
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
# building.md's lines for packages made again in an existing build folder, checked with the release's SHA256SUMS.
command=$(grep -o '`cmake --preset [^`]*make_packages.sh [^`]*`' doc/building.md | tr -d '`')
check=$(grep -o '`sha256sum [^`]*SHA256SUMS` in `[^`]*`' doc/building.md | sed 's/` in `/ in /; s/`//g')
echo "== building.md: $command; then $check"
bash -c "$command" >"$work/again.log" 2>&1 && cp dist/SHA256SUMS "${check##* in }" &&
    (cd "${check##* in }" && ${check% in *}) >"$work/again.out" 2>&1 &&
    [ "$(grep -c ': OK$' "$work/again.out")" -ge 4 ] ||
    fail "building.md's packages, made again, are not the release's: $(cat "$work/again.log" "$work/again.out")"

for zip in dist/dcdcount-*-win32.zip dist/dcdcount-*-win64.zip; do
    echo "== $zip"
    top=$(basename "$zip" .zip)
    unzip -q "$zip" -d "$work/$top.zip"
    tree=$work/$top.zip/$top
    [ "$(listing "$tree")" = "./LICENSE.txt ./USAGE.txt ./dcdcount.exe " ] || fail "$zip holds: $(listing "$tree")"
    for text in "$tree/USAGE.txt" "$tree/LICENSE.txt"; do
        [ -s "$text" ] && cmp -s "$text" <(tr -d '\r' <"$text" | sed 's/$/\r/') ||
            fail "${text##*/} does not end every line, the last one too, in exactly CR LF"
    done
    [[ $(head -n1 "$tree/USAGE.txt") == "dcdcount $version - "* ]] || fail "$zip's USAGE.txt is of another version"
    holds "$zip" "$tree/dcdcount.exe"
done

# The wheels (named as promised above): each installs its program as its script, and removing one leaves the
# environment as it was.
echo "== the wheels"
for wheel in dist/*.whl; do
    case $wheel in *-win*) script=dcdcount.exe ;; *) script=dcdcount ;; esac
    [ "$(unzip -Z1 "$wheel" | grep '\.data/')" = "dcdcount-$version.data/scripts/$script" ] ||
        fail "$wheel does not install its program as $script: $(unzip -Z1 "$wheel" | tr '\n' ' ')"
    metadata=$(unzip -p "$wheel" "dcdcount-$version.dist-info/METADATA")
    grep -qx "Version: $version" <<<"$metadata" && [ "$(sed '1,/^$/d' <<<"$metadata")" = "$(cat README.md)" ] ||
        fail "$wheel's METADATA is of another version, or describes it otherwise than README"
    unzip -q "$wheel" "dcdcount-$version.data/scripts/$script" -d "$work/${wheel##*/}"
    holds "$wheel" "$work/${wheel##*/}/dcdcount-$version.data/scripts/$script"
done
twine check --strict dist/*.whl || fail "twine check finds fault with the wheels"
python3 -m venv "$work/venv"
venv_files() { (cd "$work/venv" && find . ! -name '*.pyc' | LC_ALL=C sort); }
before=$(venv_files)
command=$(grep -o '`pip install [^`]*FOLDER[^`]*`' README.md | tr -d '`')
(PATH=$work/venv/bin:$PATH && ${command/FOLDER/dist}) >"$work/pip.out" 2>&1 ||
    fail "README's pip line '$command' does not install the wheel: $(cat "$work/pip.out")"
line=$(PATH=$work/venv/bin:$PATH && command -v dcdcount && dcdcount samples/run1-big-endian.dcd) || true
[ "$line" = "$work/venv/bin/dcdcount
samples/run1-big-endian.dcd contains 300 frames." ] || fail "dcdcount from the environment printed: $line"
"$work/venv/bin/pip" uninstall -q -y dcdcount || fail "pip does not remove the wheel"
[ "$(venv_files)" = "$before" ] || fail "the wheel, removed, leaves: $(diff <(echo "$before") <(venv_files))"

# Every processor's program in each of its packages, and one manual page in each package that carries one.
for processor in "${!held[@]}"; do
    [ "$(wc -w <<<"${held[$processor]}")" = "$([[ $processor == win* ]] && echo 2 || echo 4)" ] ||
        fail "the program for $processor was held against too few packages, only:${held[$processor]}"
done
[ "${#held[@]}" = "$(for name in $promised; do named "$name"; done | sort -u | wc -l)" ] ||
    fail "programs were compared for ${!held[*]}, not for every processor that README names"
[ "${#manuals[@]}" = $((3 * ${#rpms[@]})) ] && [ "$(printf '%s\n' "${manuals[@]}" | sort -u | wc -l)" = 1 ] ||
    fail "the .deb, RPM and tarball of each processor do not hold one manual page: ${#manuals[@]}, not all alike"

trees=("$work"/*.deb "$work"/*.rpm "$work"/dcdcount-*-linux-* "$work"/*.zip)
left=$(find "${trees[@]}" -type f -exec zgrep -IlE '@[A-Z][A-Z_]*@' {} + || true)
[ -z "$left" ] || fail "packaged texts with an unexpanded @NAME@: $left"

[ "$failed" = 0 ] && echo "packages: all checks passed"
exit "$failed"
