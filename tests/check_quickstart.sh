#!/usr/bin/env bash
# Pastes the README's quick start into a fresh machine, as a newcomer would:
# makes a minimal Debian 12 root with mmdebstrap (from this machine's apt
# sources, with its apt settings), copies the source tree in, and runs there,
# as root, the two command lines that the README's "Quick start" holds. Fails
# when either fails, when the first prints no frame count, or when the second
# runs no test.
#
# Then, in the same root, the everyday build (cmake -S . -B build, build,
# ctest, cpack) as it goes on a system with no static C or C++ library and no
# dpkg-deb, as Fedora, RHEL and Rocky are by default: the static libraries
# are deleted and dpkg-deb hidden. Fails unless configure says it links
# dynamically and why, the program is dynamic, every test passes or is
# skipped, and cpack makes the tarball.
#
# Then README's lines for building from the source tarball (dist/, from
# packaging/release.sh), as written, with every tarball of the release in the
# folder, as after downloading several; fails unless the program they install
# in /usr/local counts the sample.
#
# Between the quick start and the everyday build, README's line for the
# .deb, as written, with the release's .deb of this machine's architecture
# (dist/, from packaging/release.sh) in the folder, and sudo for a user who
# may use it; fails unless the program it installs counts the sample.
#
# usage: tests/check_quickstart.sh   (as root, after packaging/release.sh;
#        needs mmdebstrap and the apt sources)
set -euo pipefail
cd "$(dirname "$0")/.."
deb_line=$(grep -o '`sudo apt-get install [^`]*\.deb`' README.md | tr -d '`')
debs=(dist/dcdcount_*_"$(dpkg --print-architecture)".deb)
# (Its lines joined by &&, as one command.)
from_source=$(awk '/^\*\*From source\*\*/ { on = 1 } on && /^```/ { n++; next }
    on && n == 1 { printf "%s%s", joint, $0; joint = " && " }' README.md)
[ -n "$deb_line" ] && [ -f "${debs[0]}" ] ||
    { echo "FAIL: README has no .deb line ('$deb_line'), or dist/ no .deb (${debs[*]}): run packaging/release.sh"; exit 1; }

# Each fenced block of the section holds one command line.
mapfile -t lines < <(awk '
    /^## / { section = $0; next }
    section != "## Quick start" { next }
    /^```/ { inside = !inside; next }
    inside' README.md)
if [ "${#lines[@]}" -ne 2 ]; then
    echo "FAIL: the README's quick start holds ${#lines[@]} command lines, not 2"
    exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
sources=(/etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources)
settings=(/etc/apt/apt.conf /etc/apt/apt.conf.d/*)
aptopts=()
for file in "${settings[@]}"; do [ -f "$file" ] && aptopts+=(--aptopt="$file"); done
mirrors=()
for file in "${sources[@]}"; do [ -s "$file" ] && mirrors+=("$file"); done
mmdebstrap --quiet --variant=minbase "${aptopts[@]}" bookworm "$root" "${mirrors[@]}"
cp /etc/resolv.conf "$root/etc/resolv.conf"
mkdir "$root/root/dcdcount"
git ls-files -z | tar -c --null -T - | tar -x -C "$root/root/dcdcount"

# run NAME COMMAND: COMMAND in the root, in a shell of its own, as root in a
# fresh login would run it; its output is shown and kept in $work/NAME.out.
run() {
    echo "== $1: $2"
    unshare --mount --fork sh -c '
        mount -t proc proc "$0/proc" && mount --rbind /dev "$0/dev" &&
        exec chroot "$0" /usr/bin/env -i HOME=/root TERM=dumb \
            PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
            bash -c "cd /root/dcdcount && $1"' "$root" "$2" </dev/null 2>&1 |
        tee "$work/$1.out"
    return "${PIPESTATUS[0]}"
}
run line1 "${lines[0]}" || { echo "FAIL: the first quick-start line failed"; exit 1; }
grep -q '^samples/run1-little-endian.dcd contains 300 frames\.$' "$work/line1.out" ||
    { echo "FAIL: the first quick-start line printed no frame count"; exit 1; }
run line2 "${lines[1]}" || { echo "FAIL: the second quick-start line failed"; exit 1; }
grep -q 'tests passed, 0 tests failed out of [1-9]' "$work/line2.out" ||
    { echo "FAIL: the second quick-start line ran no test"; exit 1; }
echo "quick start: both lines work in a fresh Debian 12 root"

cp "${debs[@]}" "$root/root/dcdcount/"
printf '#!/bin/sh\nexec "$@"\n' >"$root/usr/local/bin/sudo" && chmod +x "$root/usr/local/bin/sudo"
run deb "$deb_line && dcdcount samples/run1-big-endian.dcd" ||
    { echo "FAIL: README's .deb line failed"; exit 1; }
grep -q '^samples/run1-big-endian.dcd contains 300 frames\.$' "$work/deb.out" ||
    { echo "FAIL: the program that README's .deb line installs printed no frame count"; exit 1; }

run no-static "apt-get install -y -q --no-install-recommends g++ >/dev/null &&
    find /usr/lib -path '*-linux-gnu*' \\( -name libc.a -o -name libm.a -o -name 'libm-*.a' -o \
        -name libmvec.a -o -name libpthread.a -o -name libdl.a -o -name librt.a -o -name 'libstdc++.a' \\) \
        -print -delete && mv /usr/bin/dpkg-deb /usr/bin/dpkg-deb.hidden &&
    cmake -S . -B build/everyday && cmake --build build/everyday && ctest --test-dir build/everyday &&
    (cd build/everyday && cpack) && readelf -l build/everyday/dcdcount" ||
    { echo "FAIL: the everyday build without static libraries failed"; exit 1; }
for wanted in '-- Link: dynamic: no static C and C++ libraries' 'Requesting program interpreter' \
    'tests passed, 0 tests failed out of [1-9]' 'dcdcount-.*-linux-gnu.tar.gz generated'; do
    grep -q -- "$wanted" "$work/no-static.out" ||
        { echo "FAIL: the everyday build without static libraries printed no '$wanted'"; exit 1; }
done
echo "everyday build: links dynamically, and passes, without static libraries or dpkg-deb"

cp dist/dcdcount-*.tar.gz "$root/root/"
run source "cd && $from_source && /usr/local/bin/dcdcount /root/dcdcount/samples/run1-little-endian.dcd" ||
    { echo "FAIL: README's lines for building from source failed"; exit 1; }
grep -q '^/root/dcdcount/samples/run1-little-endian.dcd contains 300 frames\.$' "$work/source.out" ||
    { echo "FAIL: the program that README's lines for building from source install printed no frame count"; exit 1; }
echo "README's lines for the .deb and for building from source work in a fresh Debian 12 root"
