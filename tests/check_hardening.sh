#!/usr/bin/env bash
# Reads every built program with its target's binutils and fails when one has
# lost a hardening property that doc/building.md (Hardening) promises:
#   static      no dynamic loader and no shared library: one self-contained file
#   static-pie  static, and position-independent: loaded at a random address
#   dynamic     linked dynamically, with its loader
#   as-linked   whichever of the three the build's configure chose (its
#               DCDCOUNT_LINKED), for the everyday build: static wherever a
#               static program links
#   relro       relocations made read-only, all done before main (BIND_NOW)
#   canary      every function of ours that holds a buffer or a name on its
#               stack checks a canary: count_frames, host::open_file,
#               probe_dcd_header and the entry point (main, or wmain)
#   fortify     count_frames' snprintf is the checked one, told the buffer's size
#   offsets64   host::open_file opens and inspects the file with the 64-bit
#               file-offset calls (fopen64, fstat64): files over 2 GiB open
#   pac         its return address is signed (64-bit ARM)
#   aslr        DYNAMIC_BASE and NX_COMPAT, with the relocations (.reloc) to
#               move it (Windows); aslr64 also HIGH_ENTROPY_VA
# usage: tests/check_hardening.sh   (after building the release, plain,
#        linux-x86, linux-arm64, linux-s390x, windows-x86 and windows-x64
#        builds in build/)
set -euo pipefail
cd "$(dirname "$0")/../build"

programs=(
    # program                 binutils prefix      promised
    "release/dcdcount         -                    static-pie canary"
    "plain/dcdcount           -                    as-linked relro canary fortify"
    "linux-x86/dcdcount       i686-linux-gnu-      static-pie relro canary fortify offsets64"
    "linux-arm64/dcdcount     aarch64-linux-gnu-   static-pie relro canary fortify pac"
    "linux-s390x/dcdcount     s390x-linux-gnu-     static canary fortify"
    "windows-x86/dcdcount.exe i686-w64-mingw32-    aslr canary"
    "windows-x64/dcdcount.exe x86_64-w64-mingw32-  aslr aslr64 canary"
)

# calls_in NAME-PATTERN: the disassembly of our function of that (mangled)
# name in $program, whose symbols are $symbols.
calls_in() {
    local symbol
    symbol=$(sed -n "s/.* T \\(_*$1\\)\$/\\1/p" <<<"$symbols" | head -n1)
    [ -n "$symbol" ] && "${prefix}objdump" -d --disassemble="$symbol" "$program"
}
# guarded NAME-PATTERN...: each of those functions checks a canary.
guarded() {
    local function
    for function; do
        grep -q '<_*stack_chk_fail\(@plt\)\?>' <<<"$(calls_in "$function")" || return 1
    done
}

failed=0
for row in "${programs[@]}"; do
    read -r program prefix promised <<<"$row"
    [ "$prefix" = - ] && prefix=
    linked=$(sed -n 's/^DCDCOUNT_LINKED:INTERNAL=//p' "${program%/*}/CMakeCache.txt")
    promised=${promised/as-linked/${linked:-as-linked}}
    if [[ $program == *.exe ]]; then
        headers=$("${prefix}objdump" -p -h "$program")
        entry='_\?wmain'
    else
        headers=$(readelf -h -l -d -W "$program")
        entry=main
    fi
    symbols=$("${prefix}nm" "$program")
    calls=$(calls_in 'Z12count_frames.*')
    lost=
    for property in $promised; do
        case $property in
        static) ! grep -qE 'INTERP|\(NEEDED\)' <<<"$headers" && grep -q 'Type: *EXEC' <<<"$headers" ;;
        static-pie) ! grep -qE 'INTERP|\(NEEDED\)' <<<"$headers" && grep -q 'Type: *DYN' <<<"$headers" ;;
        dynamic) grep -q INTERP <<<"$headers" && grep -q '(NEEDED)' <<<"$headers" ;;
        relro) grep -q GNU_RELRO <<<"$headers" && grep -qE 'BIND_NOW|Flags:.* NOW' <<<"$headers" ;;
        canary) guarded 'Z12count_frames.*' 'ZN4host9open_file.*' 'Z16probe_dcd_header.*' "$entry" ;;
        fortify) grep -q '<_*snprintf_chk\(@plt\)\?>' <<<"$calls" ;;
        offsets64)
            open_file=$(calls_in 'ZN4host9open_file.*')
            grep -q '<[_A-Za-z]*fopen64>' <<<"$open_file" && grep -q '<[_A-Za-z]*fstat64[_a-z0-9]*>' <<<"$open_file"
            ;;
        pac) grep -q paciasp <<<"$calls" ;;
        aslr) grep -q DYNAMIC_BASE <<<"$headers" && grep -q NX_COMPAT <<<"$headers" &&
            grep -q '\.reloc' <<<"$headers" ;;
        aslr64) grep -q HIGH_ENTROPY_VA <<<"$headers" ;;
        *) false ;;
        esac || lost+=" $property"
    done
    if [ -n "$lost" ]; then
        echo "FAIL: $program has lost:$lost"
        failed=1
    else
        echo "$program: $promised"
    fi
done
[ "$failed" = 0 ] && echo "hardening: every program keeps what it promises"
exit "$failed"
