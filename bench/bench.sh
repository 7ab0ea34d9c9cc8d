#!/usr/bin/env bash
# What a run of dcdcount costs, measured rather than asserted:
#  - bytes read from the file's descriptor (strace), on a regular file and a pipe;
#  - median wall time against `head -c 12` on the same file (hyperfine), and on
#    a 1 TiB sparse file against a 1 KiB one.
# Targets: at most 12 bytes read; median at most 0.75 of head's; the 1 TiB
# file no dearer than the 1 KiB one. Exits non-zero when one is missed.
#
# usage: bench/bench.sh [PATH-TO-DCDCOUNT]   (default: build/release/dcdcount)
# needs: hyperfine, strace (apt-get install hyperfine strace)
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "${1:-$here/build/release/dcdcount}")
runs=${BENCH_RUNS:-2000}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
head -c 1024 "$here/samples/run1-little-endian.dcd" >small.dcd
cp small.dcd huge.dcd && truncate -s 1T huge.dcd

missed=0
# report LABEL VALUE TARGET CHECK...: one figure, and whether it meets its target.
report() {
    local label=$1 value=$2 target=$3 result=ok
    shift 3
    "$@" || { result=MISSED; missed=1; }
    printf '%-26s %9s   (%s: %s)\n' "$label" "$value" "$target" "$result"
}
at_most() { awk -v v="$1" -v limit="$2" 'BEGIN { exit !(v <= limit) }'; }

# Bytes that read(2) returned on the descriptor the file was opened as.
bytes_read() { # strace log, file name
    awk -v name="\"$2\"" '
        $0 ~ /^openat\(/ && index($0, name) { split($0, a, "= "); fd = a[2] + 0 }
        fd != "" && $0 ~ "^read\\(" fd "," { split($0, a, "= "); total += a[2] }
        END { print total + 0 }' "$1"
}
strace -qq -e trace=openat,read -o file.trace "$program" huge.dcd >/dev/null
file_bytes=$(bytes_read file.trace huge.dcd)
exec {p}< <(cat small.dcd)
strace -qq -e trace=openat,read -o pipe.trace "$program" "/dev/fd/$p" >/dev/null
exec {p}<&-
pipe_bytes=$(bytes_read pipe.trace "/dev/fd/$p")
report 'bytes read, 1 TiB file:' "$file_bytes" 'at most 12' at_most "$file_bytes" 12
report 'bytes read, pipe:' "$pipe_bytes" 'at most 12' at_most "$pipe_bytes" 12

hyperfine -N --style none --warmup 100 --runs "$runs" --export-csv times.csv \
    "$program small.dcd" "head -c 12 small.dcd" "$program huge.dcd" >/dev/null 2>&1
# The median of each command, in microseconds, in the order given.
mapfile -t median < <(awk -F, 'NR > 1 { printf "%.1f\n", $4 * 1e6 }' times.csv)
ratio=$(awk -v a="${median[0]}" -v b="${median[1]}" 'BEGIN { printf "%.2f", a / b }')
huge_ratio=$(awk -v a="${median[2]}" -v b="${median[0]}" 'BEGIN { printf "%.2f", a / b }')
printf '%-26s %9s us\n' 'median, dcdcount 1 KiB:' "${median[0]}" \
    'median, head -c 12 1 KiB:' "${median[1]}" 'median, dcdcount 1 TiB:' "${median[2]}"
report 'dcdcount / head:' "$ratio" 'at most 0.75' at_most "$ratio" 0.75
report '1 TiB / 1 KiB:' "$huge_ratio" 'at most 1.10' at_most "$huge_ratio" 1.10
printf '(%d runs each, after 100 warm-up runs)\n' "$runs"
exit "$missed"
