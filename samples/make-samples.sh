#!/usr/bin/env bash
# Writes the two sample trajectories in this folder: the same small DCD file
# (3 atoms, 300 frames) in each byte order.
#   bash samples/make-samples.sh
set -eu
cd "$(dirname "$0")"

frames=300
atoms=3

# int32 VALUE: four bytes in the byte order being written.
int32() {
    local v=$(( $1 & 0xFFFFFFFF )) b0 b1 b2 b3
    b0=$(( v & 255 )) b1=$(( (v >> 8) & 255 )) b2=$(( (v >> 16) & 255 )) b3=$(( (v >> 24) & 255 ))
    if [ "$order" = big ]; then
        local t=$b0; b0=$b3 b3=$t t=$b1 b1=$b2 b2=$t
    fi
    printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $b0 $b1 $b2 $b3)"
}

# record LENGTH CONTENT-COMMAND...: a Fortran record, its length before and after.
record() {
    local length=$1
    shift
    int32 "$length"; "$@"; int32 "$length"
}

header() {
    printf 'CORD'
    # frames, first step, steps between frames, five unused words
    int32 $frames; int32 1; int32 1; for _ in 1 2 3 4 5; do int32 0; done
    int32 0; int32 0x3A83126F  # fixed atoms; time step 0.001 as a float
    for _ in 1 2 3 4 5 6 7 8 9; do int32 0; done
    int32 24  # format version
}
title() { int32 1; printf '%-80s' "dcdcount sample: $atoms atoms, $frames frames, $order-endian"; }
atom_count() { int32 $atoms; }
# one coordinate axis: the atoms at 1.0, 2.0 and 3.0
axis() { int32 0x3F800000; int32 0x40000000; int32 0x40400000; }

write_sample() {
    record 84 header
    record 84 title
    record 4 atom_count
    local frame
    for ((frame = 0; frame < frames; frame++)); do
        record $((4 * atoms)) axis; record $((4 * atoms)) axis; record $((4 * atoms)) axis
    done
}

order=little; write_sample >run1-little-endian.dcd
order=big; write_sample >run1-big-endian.dcd
