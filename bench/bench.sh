#!/usr/bin/env bash
# What a run of the release program costs, as ratios against the goals: wall time at most 1.25 times a floor
# (bench/floor: a few lines of C that open the file, read twelve bytes and print the line, static), `head -c 12`
# beside it for reference; a 1 TiB sparse file costs what a 1 KiB one does; at most 12 bytes read, on a file and a
# pipe, and 16 with 8-byte record markers; each Linux target's program, stripped, at most 100 KB, and at most 10,000
# user-space instructions to count a sample, counted under qemu-user for every processor alike (one line an
# instruction), next to its processor's floor (for reference only where its toolchain file says why it cannot, in
# DCDCOUNT_STARTUP_UNMET; never the release's); and, for reference, the program as pip installs it from the
# release's wheel. A time that misses its goal is printed, never failed on; a byte count, a size or an
# instruction count that misses fails the run.
# usage: bench/bench.sh [PATH-TO-DCDCOUNT]   (default: build/release/dcdcount;
#        needs hyperfine, strace, bats, qemu-user and python3-venv)
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "${1:-$here/build/release/dcdcount}")
runs=${BENCH_RUNS:-2000}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
presets=$(cd "$here" && cmake -P cmake/presets.cmake)
floor() { # PRESET TOOLCHAIN: built once
    [ -f "$work/floor-$1/floor" ] && return
    cmake -S "$here/bench/floor" -B "$work/floor-$1" -DCMAKE_BUILD_TYPE=Release -DCMAKE_TOOLCHAIN_FILE="$2" >/dev/null
    cmake --build "$work/floor-$1" >/dev/null
}
floor release "$(awk -F'|' '$1 == "release" { print $4 }' <<<"$presets")"
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
# report LABEL VALUE NOTE [LIMIT [fails]]: one figure, and whether it is at most LIMIT.
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
    "$program small.dcd" "$work/floor-release/floor small.dcd" "head -c 12 small.dcd" \
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

# The bytes read, as the traced cases of the test suite count them: each of those cases.
cases=$(grep -c '^@test "bytes read' "$here/tests/cli.bats")
while IFS=: read -r what bytes most; do
    report "bytes read, $what:" "$bytes" "goal: at most $most" "$most" fails
    cases=$((cases - 1))
done < <(DCDCOUNT_COMMAND=$program bats --filter '^bytes read' "$here/tests/cli.bats" |
    sed -n 's/^# bytes read, \(.*\): \([0-9]*\) (at most \([0-9]*\))$/\1:\2:\3/p')
[ "$cases" = 0 ] || { echo "MISSED: $cases of the cases that count the bytes read gave no count"; missed=1; }

# Each Linux target's program, built where its preset's folder is not, and the
# floor for its processor: size stripped, and instructions to count the sample.
measured=''
while IFS='|' read -r -u 3 preset _ system toolchain unmet; do
    [ "$system" = Linux ] && [ "$toolchain" != - ] || continue
    build=$here/build/$preset
    (cd "$here" && { [ -f "$build/CMakeCache.txt" ] || cmake --preset "$preset" -DBUILD_TESTING=OFF; } &&
        cmake --build "$build") >/dev/null
    processor=$(sed -n 's/^processor=//p' "$build/packaging.env")
    floor "$preset" "$toolchain"
    # Each stripped as the packages strip it, by the build's own install.
    cmake --install "$build" --strip --prefix "$preset.dcdcount" >/dev/null
    cmake --install "$work/floor-$preset" --strip --prefix "$preset.floor" >/dev/null
    for which in dcdcount floor; do
        qemu-"${processor/i686/i386}" -singlestep -d exec,nochain -D "$preset.$which.log" \
            "$preset.$which/bin/$which" small.dcd >/dev/null
        eval "${which}_kb=\$((\$(stat -c %s "$preset.$which/bin/$which") / 1000))"
        eval "${which}_instructions=\$(grep -c '^Trace' "$preset.$which.log")"
    done
    held=fails
    if [ -n "$unmet" ]; then
        echo "$preset: the start-up goals are for reference here: $unmet"
        [ "$preset" != release ] || { echo "MISSED: the release's program is held to every goal"; missed=1; }
        held=''
    fi
    report "$preset stripped, KB:" "$dcdcount_kb" "floor: $floor_kb; goal: at most 100" "${held:+100}" $held
    report "$preset instructions:" "$dcdcount_instructions" \
        "floor: $floor_instructions; goal: at most 10000" "${held:+10000}" $held
    measured+=" $preset"
done 3<<<"$presets"
[[ $measured == *" release"* ]] || { echo "MISSED: the release's program was not measured (measured:$measured)"; missed=1; }
printf '(%d runs each, after 100 warm-up runs)\n' "$runs"
exit "$missed"
