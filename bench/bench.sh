#!/usr/bin/env bash
# What a run of the release program costs, measured side by side in one run
# and printed as ratios against the goals:
#  - wall time at most 1.25 times a floor (bench/floor: a few lines of C that
#    open the file, read twelve bytes and print the line, static with musl),
#    with the ratio to `head -c 12` on the same file beside it for reference;
#  - a 1 TiB sparse file costs what a 1 KiB one does;
#  - at most 12 bytes read from the file, on a regular file and on a pipe,
#    and at most 16 where the header has 8-byte record markers;
#  - the stripped program at most 100 KB;
#  - for reference, the program as pip installs it from the release's wheel
#    (dist/, where packaging/release.sh has made it) into a fresh virtual
#    environment: the program itself, with no Python launcher, so the same.
# A benchmark, not a test: a time that misses its goal is printed, never
# failed on. It exits non-zero only when a byte count or the size is missed.
#
# usage: bench/bench.sh [PATH-TO-DCDCOUNT]   (default: build/release/dcdcount)
# needs: hyperfine, strace, bats, and the release toolchain (clang, libc++-dev, musl-dev);
#        python3-venv for the wheel's figure
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "${1:-$here/build/release/dcdcount}")
runs=${BENCH_RUNS:-2000}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The floor is built with the release program's own toolchain.
toolchain=$(cd "$here" && cmake --preset release -N | sed -n 's/^  CMAKE_TOOLCHAIN_FILE:FILEPATH="\(.*\)"$/\1/p')
cmake -S "$here/bench/floor" -B "$work/floor" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" >/dev/null
cmake --build "$work/floor" >/dev/null
cd "$work"
head -c 1024 "$here/samples/run1-little-endian.dcd" >small.dcd
cp small.dcd huge.dcd && truncate -s 1T huge.dcd

# The wheel for this machine, installed from dist/ alone.
from_pip=()
wheel=$(ls "$here/dist/"dcdcount-*-py3-none-*"manylinux_2_17_$(uname -m)"*.whl 2>/dev/null | head -n1 || true)
if [ -n "$wheel" ] && python3 -m venv venv >/dev/null 2>&1 &&
    PIP_NO_CACHE_DIR=1 venv/bin/pip install -q --no-index "$wheel" >/dev/null 2>&1; then
    from_pip=("$work/venv/bin/dcdcount small.dcd")
fi

missed=0
# report LABEL VALUE NOTE [LIMIT [fails]]: one figure, and whether it is at
# most LIMIT; a figure marked "fails" that is over its limit fails the run.
report() {
    local result=''
    if [ -n "${4-}" ]; then
        if awk -v v="$2" -v limit="$4" 'BEGIN { exit !(v <= limit) }'; then
            result=' (met)'
        else
            result=' (MISSED)'
            [ "${5-}" = fails ] && missed=1
        fi
    fi
    printf '%-30s %8s   %s%s\n' "$1" "$2" "$3" "$result"
}

hyperfine -N --style none --warmup 100 --runs "$runs" --export-csv times.csv \
    "$program small.dcd" "$work/floor/floor small.dcd" "head -c 12 small.dcd" \
    "$program huge.dcd" ${from_pip[@]+"${from_pip[@]}"} >/dev/null 2>&1
# The median of each command, in microseconds, in the order given.
mapfile -t median < <(awk -F, 'NR > 1 { printf "%.1f\n", $4 * 1e6 }' times.csv)
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
printf '%-30s %8s us\n' 'median, dcdcount on 1 KiB:' "${median[0]}" \
    'median, floor on 1 KiB:' "${median[1]}" 'median, head -c 12 on 1 KiB:' "${median[2]}" \
    'median, dcdcount on 1 TiB:' "${median[3]}"
report 'dcdcount / floor:' "$(ratio "${median[0]}" "${median[1]}")" 'goal: at most 1.25' 1.25
report 'dcdcount / head -c 12:' "$(ratio "${median[0]}" "${median[2]}")" 'for reference'
report '1 TiB / 1 KiB:' "$(ratio "${median[3]}" "${median[0]}")" 'goal: the same, at most 1.10' 1.10
if [ ${#from_pip[@]} = 1 ]; then
    printf '%-30s %8s us\n' 'median, from a venv, 1 KiB:' "${median[4]}"
    report 'from a venv / dcdcount:' "$(ratio "${median[4]}" "${median[0]}")" "for reference: pip's, from ${wheel##*/}"
else
    echo "from a venv: no wheel for $(uname -m) in dist/ (packaging/release.sh makes it), or no python3-venv"
fi

# The bytes read, as the traced cases of the test suite count them.
while IFS=: read -r what bytes most; do
    report "bytes read, $what:" "$bytes" "goal: at most $most" "$most" fails
done < <(DCDCOUNT_COMMAND=$program bats --filter '^bytes read' "$here/tests/cli.bats" |
    sed -n 's/^# bytes read, \(.*\): \([0-9]*\) (at most \([0-9]*\))$/\1:\2:\3/p')
strip -o stripped "$program"
report 'stripped program, KB:' "$(($(stat -c %s stripped) / 1000))" 'goal: at most 100' 100 fails
printf '(%d runs each, after 100 warm-up runs)\n' "$runs"
exit "$missed"
