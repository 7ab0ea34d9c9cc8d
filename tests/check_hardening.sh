#!/usr/bin/env bash
# Reads a built program with its target's GNU binutils and fails when it has
# lost a hardening property that doc/building.md (Hardening) promises; the
# build chooses which from its own configuration (tests/CMakeLists.txt):
#   static      no dynamic loader and no shared library: one self-contained file
#   static-pie  static, and position-independent: loaded at a random address
#   dynamic     linked dynamically, with its loader
#   relro       relocations made read-only, all done before main (BIND_NOW)
#   canary      every function of ours that holds a buffer or a name on its
#               stack checks a canary: count_frames, host::open_file,
#               probe_dcd_header and the entry point (main, or wmain)
#   fortify     count_frames' snprintf is the checked one, told the buffer's size
#   offsets64   host::open_file opens and inspects the file with the 64-bit
#               file-offset calls (fopen64, fstat64): files over 2 GiB open
#   pac         its return addresses are signed (-mbranch-protection)
#   aslr        DYNAMIC_BASE and NX_COMPAT, with the relocations (.reloc) to
#               move it (Windows); aslr64 also HIGH_ENTROPY_VA
# usage: tests/check_hardening.sh PROGRAM BINUTILS-PREFIX PROPERTY...
#        (BINUTILS-PREFIX: what comes before objdump, nm and readelf: the
#        toolchain's, such as /usr/bin/TRIPLET-, or the host's, /usr/bin/)
set -euo pipefail
program=$1 prefix=$2
shift 2

# calls_in NAME-PATTERN: the disassembly of our function of that (mangled)
# name in $program, whose symbols are $symbols.
calls_in() {
    local symbol
    symbol=$(sed -n "s/.* T \\(_*$1\\)\$/\\1/p" <<<"$symbols" | head -n1)
    [ -n "$symbol" ] && "${prefix}objdump" -d --disassemble="$symbol" "$program"
}
# calls PATTERN: a call in $code to a function of that name: directly, through
# the PLT, through the GOT (-fno-plt: the symbol and its version), or on POWER
# to its local entry point, 8 bytes in.
calls() { grep -q "<$1\(@plt\|@GLIBC_[0-9.]*\|+0x8\)\?>" <<<"$code"; }
# guarded NAME-PATTERN...: each of those functions checks a canary.
guarded() {
    local function code
    for function; do
        code=$(calls_in "$function") && calls '_*stack_chk_fail' || return 1
    done
}

if [[ $program == *.exe ]]; then
    headers=$("${prefix}objdump" -p -h "$program")
    entry='_\?wmain'
else
    headers=$("${prefix}readelf" -h -l -d -W "$program")
    entry=main
fi
symbols=$("${prefix}nm" "$program")
count_frames=$(calls_in 'Z12count_frames.*')
lost=
for property; do
    case $property in
    static) ! grep -qE 'INTERP|\(NEEDED\)' <<<"$headers" && grep -q 'Type: *EXEC' <<<"$headers" ;;
    static-pie) ! grep -qE 'INTERP|\(NEEDED\)' <<<"$headers" && grep -q 'Type: *DYN' <<<"$headers" ;;
    dynamic) grep -q INTERP <<<"$headers" && grep -q '(NEEDED)' <<<"$headers" ;;
    relro) grep -q GNU_RELRO <<<"$headers" && grep -qE 'BIND_NOW|Flags:.* NOW' <<<"$headers" ;;
    canary) guarded 'Z12count_frames.*' 'ZN4host9open_file.*' 'Z16probe_dcd_header.*' "$entry" ;;
    fortify) code=$count_frames && calls '_*snprintf_chk' ;;
    offsets64)
        code=$(calls_in 'ZN4host9open_file.*') && calls '[_A-Za-z]*fopen64' && calls '[_A-Za-z]*fstat64[_a-z0-9]*'
        ;;
    pac) grep -q paciasp <<<"$count_frames" ;;
    aslr) grep -q DYNAMIC_BASE <<<"$headers" && grep -q NX_COMPAT <<<"$headers" &&
        grep -q '\.reloc' <<<"$headers" ;;
    aslr64) grep -q HIGH_ENTROPY_VA <<<"$headers" ;;
    *) false ;;
    esac || lost+=" $property"
done
if [ -n "$lost" ]; then
    echo "FAIL: $program has lost:$lost"
    exit 1
fi
echo "$program keeps: $*"
