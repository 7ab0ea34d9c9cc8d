#!/usr/bin/env bash
# Reads every built program with its target's binutils and fails when one has
# lost a hardening property that README promises:
#   static      no dynamic loader and no shared library: one self-contained file
#   static-pie  static, and position-independent: loaded at a random address
#   relro       relocations made read-only, all done before main (BIND_NOW)
#   canary      count_frames, which holds a buffer on its stack, checks a canary
#   fortify     its snprintf is the checked one, told the buffer's size
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
    "plain/dcdcount           -                    static-pie relro canary fortify"
    "linux-x86/dcdcount       i686-linux-gnu-      static-pie relro canary fortify"
    "linux-arm64/dcdcount     aarch64-linux-gnu-   static-pie relro canary fortify pac"
    "linux-s390x/dcdcount     s390x-linux-gnu-     static canary fortify"
    "windows-x86/dcdcount.exe i686-w64-mingw32-    aslr canary"
    "windows-x64/dcdcount.exe x86_64-w64-mingw32-  aslr aslr64 canary"
)

failed=0
for row in "${programs[@]}"; do
    read -r program prefix promised <<<"$row"
    [ "$prefix" = - ] && prefix=
    if [[ $program == *.exe ]]; then
        headers=$("${prefix}objdump" -p -h "$program")
    else
        headers=$(readelf -h -l -d -W "$program")
    fi
    symbol=$("${prefix}nm" "$program" | sed -n 's/.* T \(_*Z12count_frames.*\)/\1/p')
    calls=$("${prefix}objdump" -d --disassemble="$symbol" "$program")
    lost=
    for property in $promised; do
        case $property in
        static) ! grep -qE 'INTERP|\(NEEDED\)' <<<"$headers" && grep -q 'Type: *EXEC' <<<"$headers" ;;
        static-pie) ! grep -qE 'INTERP|\(NEEDED\)' <<<"$headers" && grep -q 'Type: *DYN' <<<"$headers" ;;
        relro) grep -q GNU_RELRO <<<"$headers" && grep -qE 'BIND_NOW|Flags:.* NOW' <<<"$headers" ;;
        canary) grep -q '<_*stack_chk_fail\(@plt\)\?>' <<<"$calls" ;;
        fortify) grep -q '<_*snprintf_chk\(@plt\)\?>' <<<"$calls" ;;
        pac) grep -q paciasp <<<"$calls" ;;
        aslr) grep -q DYNAMIC_BASE <<<"$headers" && grep -q NX_COMPAT <<<"$headers" &&
            grep -q '\.reloc' <<<"$headers" ;;
        aslr64) grep -q HIGH_ENTROPY_VA <<<"$headers" ;;
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
