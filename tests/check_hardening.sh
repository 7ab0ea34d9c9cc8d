#!/usr/bin/env bash
# Reads a built program with its target's GNU binutils and fails when it has lost a hardening property that
# doc/building.md (Hardening) promises: static (no loader, no shared library; on Windows, of the DLLs it
# imports, only those every Windows has: a clean Windows has no compiler runtime DLLs, and ADVAPI32 gives
# libssp the random value each run's canaries start with), static-pie (static, loaded at a
# random address), dynamic, relro (relocations read-only, all done before main: BIND_NOW), canary (count_frames,
# host::open_file, probe_dcd_header and main or wmain check a stack canary), fortify (count_frames' snprintf is the
# checked one), offsets64 (host::open_file calls fopen64 and fstat64: files over 2 GiB open), pac (return addresses
# signed), aslr (Windows: DYNAMIC_BASE, NX_COMPAT and the .reloc to move it), aslr64 (and HIGH_ENTROPY_VA).
# usage: tests/check_hardening.sh PROGRAM BINUTILS-PREFIX PROPERTY...
#        (BINUTILS-PREFIX: what comes before objdump, nm and readelf, such as /usr/bin/TRIPLET- or /usr/bin/)
set -euo pipefail
program=$1 prefix=$2
shift 2

# calls_in NAME-PATTERN: the disassembly of our function of that (mangled) name, or, for a program promised
# "inlined" (link-time optimisation, as Fedora builds, takes our functions into their caller), of the entry point.
calls_in() {
    local symbol
    symbol=$(sed -n "s/.* T \\(_*$1\\)\$/\\1/p" <<<"$symbols" | head -n1)
    [ -n "$symbol" ] || [[ " $properties " != *" inlined "* ]] ||
        symbol=$(sed -n "s/.* T \\(_*$entry\\)\$/\\1/p" <<<"$symbols" | head -n1)
    [ -n "$symbol" ] && "${prefix}objdump" -d --disassemble="$symbol" "$program"
}
# calls PATTERN: a call in $code to a function of that name: directly, through the PLT, through the GOT (-fno-plt:
# the symbol and its version), or on POWER to its local entry point, 8 bytes in.
calls() { grep -q "<$1\(@plt\|@GLIBC_[0-9.]*\|+0x8\)\?>" <<<"$code"; }
# guarded NAME-PATTERN...: each of those functions checks a canary.
guarded() {
    local function code
    for function; do
        code=$(calls_in "$function") && calls '_*stack_chk_fail' || return 1
    done
}
has() { grep -qE "$1" <<<"$headers"; }

if [[ $program == *.exe ]]; then
    headers=$("${prefix}objdump" -p -h "$program")
    entry='_\?wmain'
else
    headers=$("${prefix}readelf" -h -l -d -W "$program")
    entry=main
fi
[ $# -gt 0 ] || { echo "FAIL: no property to hold $program to"; exit 1; }
properties=$*
symbols=$("${prefix}nm" "$program")
count_frames=$(calls_in 'Z12count_frames.*') || true
lost=
for property; do
    case $property in
    static) if [[ $program == *.exe ]]; then has 'DLL Name:' && ! grep 'DLL Name:' <<<"$headers" |
        grep -viqE 'DLL Name: (kernel32|msvcrt|advapi32|ucrtbase|api-ms-win-crt-[a-z0-9-]+)\.dll$'
        else ! has 'INTERP|\(NEEDED\)' && has 'Type: *EXEC'; fi ;;
    static-pie) ! has 'INTERP|\(NEEDED\)' && has 'Type: *DYN' ;;
    dynamic) has INTERP && has '\(NEEDED\)' ;;
    relro) has GNU_RELRO && has 'BIND_NOW|Flags:.* NOW' ;;
    canary) guarded 'Z12count_frames.*' 'ZN4host9open_file.*' 'Z16probe_dcd_header.*' "$entry" ;;
    fortify) code=$count_frames && calls '_*snprintf_chk' ;;
    offsets64)
        code=$(calls_in 'ZN4host9open_file.*') && calls '[_A-Za-z]*fopen64' && calls '[_A-Za-z]*fstat64[_a-z0-9]*'
        ;;
    pac) grep -q paciasp <<<"$count_frames" ;;
    aslr) has DYNAMIC_BASE && has NX_COMPAT && has '\.reloc' ;;
    aslr64) has HIGH_ENTROPY_VA ;;
    inlined) ;;
    *) false ;;
    esac || lost+=" $property"
done
[ -z "$lost" ] || { echo "FAIL: $program has lost:$lost"; exit 1; }
echo "$program keeps: $*"
