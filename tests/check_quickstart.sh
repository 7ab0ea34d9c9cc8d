#!/usr/bin/env bash
# Pastes README's install lines, as a newcomer would, as root into a fresh Debian 12 root made by mmdebstrap (from
# this machine's apt sources, with its apt settings) holding the source tree: the quick start's two lines (the first
# counts a sample, the second runs tests), then README's Usage lines, the program on PATH as they say; the .deb line,
# with the release's .deb of this architecture and a sudo, then the .deb removed, which leaves the root's files as
# they were; the everyday build (configure, build, ctest, cpack) without static C and C++ libraries or dpkg-deb, as on
# Fedora, RHEL and Rocky, which must say it links dynamically and why in building.md's words, make a dynamic program,
# pass and make the tarball; and the lines that build from the source tarball, with every tarball of the release
# beside it.
# usage: tests/check_quickstart.sh   (as root, after packaging/release.sh; needs mmdebstrap and the apt sources)
set -euo pipefail
cd "$(dirname "$0")/.."
fail() { echo "FAIL: $*"; exit 1; }
deb_line=$(grep -o '`sudo apt-get install [^`]*\.deb`' README.md | tr -d '`')
debs=(dist/dcdcount_*_"$(dpkg --print-architecture)".deb)
# (Its lines joined by &&, as one command.)
from_source=$(awk '/^\*\*From source\*\*/ { on = 1 } on && /^```/ { n++; next }
    on && n == 1 { printf "%s%s", joint, $0; joint = " && " }' README.md)
[ -n "$deb_line" ] && [ -f "${debs[0]}" ] ||
    fail "README has no .deb line ('$deb_line'), or dist/ no .deb (${debs[*]}): run packaging/release.sh"
# Each fenced block of the section holds one command line.
mapfile -t lines < <(awk '
    /^## / { section = $0; next }
    section != "## Quick start" { next }
    /^```/ { inside = !inside; next }
    inside' README.md)
[ "${#lines[@]}" -eq 2 ] || fail "the README's quick start holds ${#lines[@]} command lines, not 2"
# The line configure prints there, as building.md shows it.
link_line=$(grep -m1 '^-- Link: dynamic: ' doc/building.md | sed 's/[]*.^$\\[]/\\&/g')

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
aptopts=()
for file in /etc/apt/apt.conf /etc/apt/apt.conf.d/*; do [ -f "$file" ] && aptopts+=(--aptopt="$file"); done
mirrors=()
for file in /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources; do
    [ -s "$file" ] && mirrors+=("$file")
done
mmdebstrap --quiet --variant=minbase "${aptopts[@]}" bookworm "$root" "${mirrors[@]}"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mkdir "$root/root/dcdcount"
git ls-files -z | tar -c --null -T - | tar -x -C "$root/root/dcdcount"

# step NAME COMMAND WHAT PATTERN...: COMMAND in the root, in a shell of its own, as root in a fresh login would run
# it, its output shown; fails, naming WHAT, when it fails or prints no line matching each PATTERN.
step() {
    local name=$1 command=$2 what=$3 pattern
    shift 3
    echo "== $name: $command"
    unshare --mount --fork sh -c '
        mount -t proc proc "$0/proc" && mount --rbind /dev "$0/dev" &&
        exec chroot "$0" /usr/bin/env -i HOME=/root TERM=dumb \
            PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
            bash -c "cd /root/dcdcount && $1"' "$root" "$command" </dev/null 2>&1 |
        tee "$work/$name.out" || fail "$what failed"
    for pattern; do
        grep -q -- "$pattern" "$work/$name.out" || fail "$what printed no '$pattern'"
    done
}
step line1 "${lines[0]}" "the first quick-start line" '^samples/run1-little-endian.dcd contains 300 frames\.$'
step line2 "${lines[1]}" "the second quick-start line" 'tests passed, 0 tests failed out of [1-9]'
! grep -q 'The following tests did not run' "$work/line2.out" || fail "the second quick-start line skips tests"
echo "quick start: both lines work in a fresh Debian 12 root"
# Then README's Usage, as written: the program put on PATH as it says, and its examples, on the bundled samples.
step usage "$(grep -o '`export PATH=[^`]*`' README.md | tr -d '`') && $(awk '/^## / { usage = $0 == "## Usage" }
    usage && /^```/ { n++; next } usage && n == 3' README.md)" "README's Usage" '^Every file gives a count\.$' \
    '^samples/run1-big-endian\.dcd contains 300 frames\.$' '^/dev/fd/[0-9]* contains 300 frames\.$'

cp "${debs[@]}" "$root/root/dcdcount/"
printf '#!/bin/sh\nexec "$@"\n' >"$root/usr/local/bin/sudo" && chmod +x "$root/usr/local/bin/sudo"
# The root's files, but for the package managers' own records, before the .deb is installed and after it is removed.
files() { step "$1" "find / -xdev \\( -path /proc -o -path /var/lib/dpkg -o -path /var/lib/apt -o -path /var/cache \\
    -o -path /var/log -o -path /root/dcdcount -o -path /tmp \\) -prune -o ! -type d -printf '%p %s %m\\n' |
    sort >/tmp/$1" "listing the root's files"; }
files before
step deb "$deb_line && dcdcount samples/run1-big-endian.dcd && apt-get remove -y -q dcdcount" "README's .deb line" \
    '^samples/run1-big-endian.dcd contains 300 frames\.$'
files after
cmp -s "$root/tmp/before" "$root/tmp/after" && [ -s "$root/tmp/before" ] ||
    fail "the .deb, installed and removed, changed: $(diff "$root/tmp/before" "$root/tmp/after" | grep '^[<>]')"

step no-static "apt-get install -y -q --no-install-recommends g++ >/dev/null &&
    find /usr/lib -path '*-linux-gnu*' \\( -name libc.a -o -name libm.a -o -name 'libm-*.a' -o \
        -name libmvec.a -o -name libpthread.a -o -name libdl.a -o -name librt.a -o -name 'libstdc++.a' \\) \
        -print -delete && mv /usr/bin/dpkg-deb /usr/bin/dpkg-deb.hidden &&
    cmake -S . -B build/everyday && cmake --build build/everyday && ctest --test-dir build/everyday &&
    (cd build/everyday && cpack) && readelf -l build/everyday/dcdcount" \
    "the everyday build without static libraries" "^$link_line\$" \
    'Requesting program interpreter' 'tests passed, 0 tests failed out of [1-9]' \
    'dcdcount-.*-linux-gnu.tar.gz generated'
echo "everyday build: links dynamically, and passes, without static libraries or dpkg-deb"

cp dist/dcdcount-*.tar.gz "$root/root/"
step source "cd && $from_source && /usr/local/bin/dcdcount /root/dcdcount/samples/run1-little-endian.dcd" \
    "README's lines for building from source" '^/root/dcdcount/samples/run1-little-endian.dcd contains 300 frames\.$'
echo "README's lines for the .deb and for building from source work in a fresh Debian 12 root"
