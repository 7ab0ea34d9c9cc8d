#!/usr/bin/env bash
# What only a trace of its system calls shows about a run of dcdcount.
#
# usage: trace_cases.sh reads|close COMMAND...
#   reads   the program asks the trajectory for at most twelve bytes, on a
#           regular file and on a pipe, and at most sixteen where its header
#           has 8-byte record markers
#   close   when closing the file fails (and only that close, made to fail by
#           strace), the verdict line is still printed and the exit status is
#           255, for a DCD file and for one that is not
#   COMMAND how to start the program, as for cli_cases.sh
# Exits 77, which CTest reports as skipped, where strace is missing or cannot
# see the program's own calls (under an emulator such as qemu or Wine).
set -u
mode=$1
shift
program=("$@")
skip() { echo "skipped: $*"; exit 77; }
command -v strace >/dev/null || skip "strace is not installed"
[ "${#program[@]}" -eq 1 ] || skip "the program runs under ${program[0]}, whose calls strace would see"
strace -qq -o /dev/null true 2>/dev/null || skip "strace cannot trace here"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$(dirname "$0")/../samples/run1-little-endian.dcd" "$work/run1.dcd"
cd "$work" || exit 2

failed=0
fail() { failed=1; printf 'FAIL: %s\n' "$*"; }

# calls_on TRACE NAME: the calls made on the descriptor that the open of NAME
# returned, from that open to its close (a number can be used again after),
# each after the count of every close in the run up to it.
calls_on() {
    awk -v name="\"$2\"" '
        fd == "" && /^open(at)?\(/ && index($0, name) { fd = $NF; next }
        /^close\(/ { closes++ }
        fd != "" && $0 ~ "^[a-z0-9]+\\(" fd "[,)]" { print closes + 0, $0 }
        fd != "" && $0 ~ "^close\\(" fd "\\)" { exit }' "$1"
}

case "$mode" in
reads)
    # The same trajectory with 8-byte record markers: the sample's marker
    # widened to a 64-bit 84, then the rest of the file from its tag on.
    { printf '\x54\0\0\0\0\0\0\0'; tail -c +5 run1.dcd; } >marker8.dcd
    exec 7< <(cat run1.dcd)
    for row in "run1.dcd 12" "/dev/fd/7 12" "marker8.dcd 16"; do
        read -r name most <<<"$row"
        strace -qq -o trace -e trace=open,openat,close,read,readv,pread64,preadv,preadv2 \
            "${program[@]}" "$name" >out
        read -r line <out
        bytes=$(calls_on trace "$name" | awk '$2 ~ /^p?read/ { total += $NF } END { print total + 0 }')
        [ "$line" = "$name contains 300 frames." ] || fail "$name: printed '$line'"
        [ "$bytes" -le "$most" ] || fail "$name: read $bytes bytes of the file, more than $most"
        echo "$name: $bytes bytes read"
    done
    exec 7<&-
    ;;
close)
    # For a DCD file and for one that is not: which close is the file's,
    # counting every close of the run (the dynamic loader's too); then make
    # that one, and only that one, fail.
    printf 'Just some notes about run 1.\n' >notes.txt
    for want in 'run1.dcd contains 300 frames.' 'notes.txt is not a valid DCD file'; do
        name=${want%% *}
        strace -qq -o trace -e trace=open,openat,close "${program[@]}" "$name" >/dev/null
        nth=$(calls_on trace "$name" | awk '$2 ~ /^close/ { print $1 }')
        [ -n "$nth" ] || { fail "$name is never closed"; continue; }
        strace -qq -o /dev/null -e trace=close -e inject=close:error=EIO:when="$nth" \
            "${program[@]}" "$name" >out 2>err
        status=$?
        read -r line <out
        [ "$line" = "$want" ] || fail "$name: printed '$line'"
        [ "$status" = 255 ] || fail "$name: exit status $status, want 255"
        [ -s err ] && fail "$name: wrote to stderr: $(cat err)"
        echo "$name: close $nth failed: exit status $status"
    done
    ;;
*) echo "usage: $0 reads|close COMMAND..." >&2; exit 2 ;;
esac
exit "$failed"
