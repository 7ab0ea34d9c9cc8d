#!/usr/bin/env bash
# Pastes the README's quick start into a fresh machine, as a newcomer would:
# makes a minimal Debian 12 root with mmdebstrap (from this machine's apt
# sources, with its apt settings), copies the source tree in, and runs there,
# as root, the two command lines that the README's "Quick start" holds. Fails
# when either fails, when the first prints no frame count, or when the second
# runs no test.
#
# usage: tests/check_quickstart.sh   (as root; needs mmdebstrap and the apt sources)
set -euo pipefail
cd "$(dirname "$0")/.."

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

# run N: quick-start line N in the root, in a shell of its own, as root in a
# fresh login would run it; its output is shown and kept in $work/N.out.
run() {
    echo "== quick start, line $1: ${lines[$1 - 1]}"
    unshare --mount --fork sh -c '
        mount -t proc proc "$0/proc" && mount --rbind /dev "$0/dev" &&
        exec chroot "$0" /usr/bin/env -i HOME=/root TERM=dumb \
            PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
            bash -c "cd /root/dcdcount && $1"' "$root" "${lines[$1 - 1]}" </dev/null 2>&1 |
        tee "$work/$1.out"
    return "${PIPESTATUS[0]}"
}
run 1 || { echo "FAIL: the first quick-start line failed"; exit 1; }
grep -q '^samples/run1-little-endian.dcd contains 300 frames\.$' "$work/1.out" ||
    { echo "FAIL: the first quick-start line printed no frame count"; exit 1; }
run 2 || { echo "FAIL: the second quick-start line failed"; exit 1; }
grep -q 'tests passed, 0 tests failed out of [1-9]' "$work/2.out" ||
    { echo "FAIL: the second quick-start line ran no test"; exit 1; }
echo "quick start: both lines work in a fresh Debian 12 root"
