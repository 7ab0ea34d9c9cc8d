#!/usr/bin/env bash
# Runs dcdcount as its users do and checks, for each case, standard output byte
# for byte, the exit status, and that nothing at all reaches standard error.
#
# usage: cli_cases.sh lf|crlf COMMAND...
#   lf|crlf   the line ending the program's host writes ("\r\n" on Windows)
#   COMMAND   how to start the program: an emulator prefix (wine, qemu-ARCH,
#             valgrind ...) if any, then the program itself
set -u

case "${1-}" in
lf) eol=$'\n' ;;
crlf) eol=$'\r\n' ;;
*) echo "usage: $0 lf|crlf COMMAND..." >&2; exit 2 ;;
esac
shift
program=("$@")

# Names are written in UTF-8; under Wine this locale gives ANSI code page 1252.
export LC_ALL=C.UTF-8

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 2

passed=0
failed=0
skipped=0
reasons=$'\n'
pass() { passed=$((passed + 1)); }
fail() { failed=$((failed + 1)); printf 'FAIL: %s\n' "$@"; }
# skip REASON: a case that cannot run here; counted, and its reason said once.
skip() {
    skipped=$((skipped + 1))
    case "$reasons" in
    *$'\n'"$1"$'\n'*) ;;
    *) reasons+="$1"$'\n'; printf 'skipped: %s\n' "$1" ;;
    esac
}

# judge WHAT STATUS ACTUAL: the exit status is the one wanted and nothing
# reached standard error (the file err).
judge() {
    if [ "$3" != "$2" ]; then
        fail "$1: exit status $3, want $2"
    elif [ -s err ]; then
        fail "$1: wrote to stderr: $(cat err)"
    else
        pass
    fi
}

# posix_only CHECK...: a case that only a POSIX host can pass. Windows takes
# file names as UTF-16 text, not bytes, and has no /dev/fd.
posix_only() {
    if [ "$eol" = $'\n' ]; then "$@"; else skip "names as bytes and /dev/fd/N: POSIX hosts only"; fi
}

# as_reader CHECK...: a check run by a user who may only read the files that
# are read-only (root may write any). As root, that is nobody, by setpriv
# (util-linux) or su, running a copy of the program that nobody can reach.
# Skipped where no such user can run it: under Wine, which runs only as the
# owner of its prefix, and as root without either way to become nobody.
as_nobody=()
if [ "$(id -u)" = 0 ] && id nobody >/dev/null 2>&1; then
    if setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups true 2>/dev/null; then
        as_nobody=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups)
    elif su -s "$BASH" nobody -c true </dev/null >/dev/null 2>&1; then
        as_nobody=(su -s "$BASH" nobody -c 'exec "$0" "$@"' --)
    fi
fi
as_reader() {
    local saved=("${program[@]}") last=$((${#program[@]} - 1))
    if [ "$eol" != $'\n' ]; then
        skip "a read-only file as an ordinary user: Wine runs only as the owner of its prefix"
        return
    elif [ "$(id -u)" = 0 ]; then
        if [ "${#as_nobody[@]}" = 0 ]; then
            skip "a read-only file as an ordinary user: no user nobody, or no setpriv (util-linux) or su to become it"
            return
        fi
        cp "${program[$last]}" reader-program
        chmod a+rx . reader-program
        program=("${as_nobody[@]}" "${program[@]:0:$last}" "$work/reader-program")
    fi
    "$@"
    program=("${saved[@]}")
}

# A DCD header: marker, tag and count in the given byte order.
header() { # le|be COUNT-BYTES-AS-WRITTEN
    if [ "$1" = le ]; then printf '\x54\0\0\0CORD'; else printf '\0\0\0\x54CORD'; fi
    printf "$2"
}
header le '\x2c\x01\0\0' >run1.dcd
header be '\0\0\x01\x2c' >run1-be.dcd
header le '\x01\0\0\0' >one.dcd
header be '\0\0\0\0' >zero.dcd
header be '\xff\xff\xff\xff' >minus-one.dcd
header le '\0\0\0\x80' >most-negative.dcd
# Bytes a text-mode stream would mangle: Ctrl-Z ends the file, CR LF becomes
# LF (in crlf-be.dcd, the count's last byte and the byte after it).
header le '\x1a\0\0\0' >ctrl-z.dcd
header le '\r\n\0\0' >crlf.dcd
header be '\0\0\n\r\n' >crlf-be.dcd
printf '\x54\0\0\0\r\n\x1a\n\x2c\x01\0\0' >tag-crlf.dcd
# 8-byte record markers (84 as a 64-bit integer), then the tag and the count;
# and 4-byte ones whose count word reads like a tag, or follows four zeros.
printf '\x54\0\0\0\0\0\0\0CORD\x2c\x01\0\0\x54\0\0\0' >marker8.dcd
printf '\0\0\0\0\0\0\0\x54VELD\0\0\x01\x2c\0\0\0\x54' >marker8-be.dcd
printf '\x54\0\0\0\0\0\0\0CORD\x2c\x01' >marker8-cut-short.dcd
printf '\x54\0\0\0CORDCORD\x2c\x01\0\0' >tag-twice.dcd
printf '\x54\0\0\0\0\0\0\0ABCD\x2c\x01\0\0' >zeros-no-tag.dcd
printf 'Just some notes about run 1.\n' >notes.txt
cp notes.txt 'notes%s%n%x.txt'
printf '\x54\0\0\0' >cut-short.dcd
: >empty.dcd
cp run1-be.dcd ./-
cp run1.dcd read-only.dcd && chmod a=r read-only.dcd
cp run1.dcd 'my run %d%s%n.dcd'
mkdir -p traj nested данные
cp run1.dcd traj/run1.dcd
# Names in scripts outside the ANSI code page of a Windows host, and one inside it.
for name in 轨迹.dcd '🧬 run.dcd' '100% 轨迹 %s.dcd' данные/run1.dcd Jürgen.dcd run１.dcd Ā.dcd; do
    cp run1.dcd "$name"
done
cp run1-be.dcd траектория.dcd
cp notes.txt заметки.txt
long=trajectory-of-a-long-run-whose-name-is-well-over-seventy-characters-long.dcd
# Long names: a path of 311 bytes to a file, three folders of 100 bytes deep;
# a name of 304 characters, more than a file system keeps and than Windows'
# MAX_PATH; one of 5000 bytes, more than PATH_MAX; and 150 CJK characters
# twice over, 900 bytes of UTF-8.
folder=$(printf '%0100d' 0 | tr 0 f)
mkdir -p "$folder/$folder/$folder" && cp run1.dcd "$folder/$folder/$folder/run1.dcd"
deep=$folder/$folder/$folder/run1.dcd
wide=$folder$folder$folder.dcd
vast=$(printf '%05000d' 0 | tr 0 v)
cjk=$(printf '轨迹%.0s' $(seq 150)).dcd
# A trajectory past 4 GiB: sparse, so it costs no disk (one byte written at
# its end, with POSIX dd).
cp run1-be.dcd huge.dcd
printf '\0' | dd of=huge.dcd bs=1 seek=5368709119 conv=notrunc 2>/dev/null

# What this userland offers, probed once each. A case that needs what it
# lacks, or a tool of another flavour, is skipped with the reason: never
# failed, never passed without running.
# - a terminal for the console cases: util-linux script, or BSD script;
if script --version 2>/dev/null | grep -q util-linux; then
    terminal=util-linux
elif script -q /dev/null true </dev/null >/dev/null 2>&1; then
    terminal=bsd
else
    terminal=
fi
# - a 5 GiB file, where the file system keeps one;
huge=$([ "$(ls -ln huge.dcd | awk '{ print $5 }')" = 5368709120 ] && echo yes)
# - /dev/full (Linux, FreeBSD), and GNU env's --default-signal (coreutils 8.31).
full=$([ -c /dev/full ] && echo yes)
default_signal=$(env --default-signal=PIPE true 2>/dev/null && echo yes)

# check STATUS EXPECTED-STDOUT [ARG...]: "\n" in EXPECTED stands for the host's line ending.
check() {
    local status=$1 expected=${2//$'\n'/$eol}
    shift 2
    local what="dcdcount$(printf ' [%q]' "$@")"
    "${program[@]}" "$@" >out 2>err
    local actual=$?
    printf '%s' "$expected" >want
    if cmp -s want out; then
        judge "$what" "$status" "$actual"
    else
        fail "$what: stdout differs (want, then got):" "$(od -c want)" "$(od -c out)" \
            "exit status $actual, stderr: $(cat err)"
    fi
}

# in_locale LOCALE CHECK...: a check with the program run in LOCALE (such as
# hi_IN.UTF-8), compiled into the work folder where the system lacks it; Wine
# needs it installed to read the arguments in its character set. Skipped where
# localedef (Debian's locales) cannot compile it.
in_locale() {
    local saved=("${program[@]}")
    if ! locale -a 2>/dev/null | grep -qix "${1/UTF-8/utf8}"; then
        mkdir -p locales
        if ! localedef -i "${1%%.*}" -f "${1#*.}" "locales/$1" 2>/dev/null; then
            skip "locale $1: not installed, and localedef cannot compile it"
            return
        fi
        program=(env "LOCPATH=$work/locales" "${program[@]}")
    fi
    program=(env "LC_ALL=$1" "${program[@]}")
    shift
    "$@"
    program=("${saved[@]}")
}

# shown NAME WINDOWS-BYTES: NAME as the program writes it to a file or a pipe.
# POSIX hosts write the bytes they were given; Windows writes the ANSI code
# page (1252 here), with '?' for each UTF-16 unit the code page lacks.
shown() { if [ "$eol" = $'\n' ]; then printf '%s' "$1"; else printf '%s' "$2"; fi; }

# check_console EXPECTED-LINE ARG...: on a terminal (a pseudo-terminal that
# script makes), the line shows the name as it was typed, on every host, and
# the terminal shows that whole line and nothing else.
# check_console '>' EXPECTED-STDOUT ARG...: standard output sent to a file from
# that terminal, standard error left on it: the file gets EXPECTED-STDOUT (as
# for check), the terminal nothing.
check_console() {
    if [ -z "$terminal" ]; then
        skip "the console cases: no script (util-linux or BSD) to make a terminal"
        return
    fi
    local redirect=''
    [ "$1" = '>' ] && { redirect=' >out'; shift; }
    local expected=$1
    shift
    rm -f out
    # A terminal wide enough for the line: Wine breaks it at the last column.
    local command="stty cols 500; $(printf '%q ' "${program[@]}" "$@")$redirect"
    if [ "$terminal" = util-linux ]; then
        SHELL=$BASH script -qec "$command" /dev/null </dev/null >terminal 2>&1
    else
        script -q /dev/null "$BASH" -c "$command" </dev/null >terminal 2>&1
    fi
    # What the terminal shows, without Wine's cursor controls and carriage returns.
    sed "s/$(printf '\033')\\[[0-9;?]*[a-zA-Z]//g; s/$(printf '\r')//g" terminal >shown
    [ -e out ] || : >out
    if [ -n "$redirect" ]; then
        printf '%s' "${expected//$'\n'/$eol}" >want
        : >want-shown
    else
        : >want
        printf '%s\n' "$expected" >want-shown
    fi
    if cmp -s want-shown shown && cmp -s want out; then
        pass
    else
        fail "dcdcount$(printf ' [%q]' "$@")${redirect} on a terminal: want $(od -c want-shown)," \
            "got $(od -c shown), and in the file $(od -c out)"
    fi
}

# through_pipe FILE REST: FILE's bytes through a pipe, named /dev/fd/7; REST
# is what the line holds after the name.
through_pipe() {
    exec 7< <(cat "$1")
    if [ -e /dev/fd/7 ]; then
        posix_only check 0 "/dev/fd/7$2"$'\n' /dev/fd/7
    else
        skip "a pipe as /dev/fd/N: there is no /dev/fd here (FreeBSD: mount fdescfs)"
    fi
    exec 7<&-
}

# check_status STATUS STDOUT-TARGET ARG...: stdout is closed, full or a pipe
# whose reader has gone; only the exit status and stderr are checked.
check_status() {
    local status=$1 target=$2 actual
    shift 2
    if [ "$target" = full ] && [ -z "$full" ]; then
        skip "stdout on a full device: no /dev/full here"
        return
    elif [ "$target" = broken-pipe ] && [ -z "$default_signal" ]; then
        skip "stdout a broken pipe: no env --default-signal (GNU coreutils 8.31) to undo an ignored SIGPIPE"
        return
    fi
    case "$target" in
    closed) "${program[@]}" "$@" >&- 2>err ;;
    full) "${program[@]}" "$@" >/dev/full 2>err ;;
    broken-pipe)
        # A pipe with no reader left: the first write fails, or raises
        # SIGPIPE, restored to its default so the program has to ignore it.
        rm -f fifo && mkfifo fifo
        exec 8<>fifo 9>fifo
        exec 8<&-
        env --default-signal=PIPE "${program[@]}" "$@" >&9 2>err
        ;;
    esac
    actual=$?
    [ "$target" = broken-pipe ] && exec 9>&-
    judge "stdout $target" "$status" "$actual"
}

#     status  standard output                                   arguments
check 0 $'run1.dcd contains 300 frames.\n'                      run1.dcd
check 0 $'run1-be.dcd contains 300 frames.\n'                   run1-be.dcd
check 0 $'one.dcd contains 1 frames.\n'                         one.dcd
check 0 $'zero.dcd contains 0 frames.\n'                        zero.dcd
check 0 $'minus-one.dcd contains -1 frames.\n'                  minus-one.dcd
check 0 $'most-negative.dcd contains -2147483648 frames.\n'     most-negative.dcd
if [ -n "$huge" ]; then
    check 0 $'huge.dcd contains 300 frames.\n'                  huge.dcd
else
    skip "a sparse 5 GiB file: this file system keeps none"
fi
check 0 $'ctrl-z.dcd contains 26 frames.\n'                     ctrl-z.dcd
check 0 $'crlf.dcd contains 2573 frames.\n'                     crlf.dcd
check 0 $'crlf-be.dcd contains 2573 frames.\n'                  crlf-be.dcd
check 0 $'tag-crlf.dcd contains 300 frames.\n'                  tag-crlf.dcd
check 0 $'marker8.dcd contains 300 frames.\n'                   marker8.dcd
check 0 $'marker8-be.dcd contains 300 frames.\n'                marker8-be.dcd
check 0 $'marker8-cut-short.dcd is not a valid DCD file\n'      marker8-cut-short.dcd
check 0 $'tag-twice.dcd contains 1146244931 frames.\n'          tag-twice.dcd
check 0 $'zeros-no-tag.dcd contains 1145258561 frames.\n'       zeros-no-tag.dcd
check 0 $'notes.txt is not a valid DCD file\n'                  notes.txt
check 0 $'cut-short.dcd is not a valid DCD file\n'              cut-short.dcd
check 0 $'empty.dcd is not a valid DCD file\n'                  empty.dcd
check 0 $'missing.dcd is not a valid file name.\n'              missing.dcd
check 0 $'traj is not a valid file name.\n'                     traj
check 0 $'traj/ is not a valid file name.\n'                    traj/
check 0 $' is not a valid file name.\n'                         ''
check 0 $' is not a valid file name.\n'
check 0 $'./nested/../traj/run1.dcd contains 300 frames.\n'     ./nested/../traj/run1.dcd
check 0 $'my run %d%s%n.dcd contains 300 frames.\n'             'my run %d%s%n.dcd'
check 0 $'%s%n%x is not a valid file name.\n'                   '%s%n%x'
check 0 $'notes%s%n%x.txt is not a valid DCD file\n'            'notes%s%n%x.txt'
check 0 $'- contains 300 frames.\n'                             -
check 0 $'-h is not a valid file name.\n'                       -h
as_reader check 0 $'read-only.dcd contains 300 frames.\n'      read-only.dcd
check 0 $'run1.dcd contains 300 frames.\n'                      run1.dcd notes.txt -h
posix_only check 0 $'\xff\xfe run.dcd is not a valid file name.\n' $'\xff\xfe run.dcd'
check 0 $'line\nbreak is not a valid file name.\n'              $'line\nbreak'
check 0 "$deep contains 300 frames."$'\n'                       "$deep"
check 0 "$wide is not a valid file name."$'\n'                  "$wide"
check 0 "$vast is not a valid file name."$'\n'                  "$vast"
check 0 "$(shown 轨迹.dcd '??.dcd') contains 300 frames."$'\n'                     轨迹.dcd
check 0 "$(shown траектория.dcd '??????????.dcd') contains 300 frames."$'\n'       траектория.dcd
check 0 "$(shown '🧬 run.dcd' '?? run.dcd') contains 300 frames."$'\n'             '🧬 run.dcd'
check 0 "$(shown '100% 轨迹 %s.dcd' '100% ?? %s.dcd') contains 300 frames."$'\n'   '100% 轨迹 %s.dcd'
check 0 "$(shown данные/run1.dcd '??????/run1.dcd') contains 300 frames."$'\n'     данные/run1.dcd
check 0 "$(shown заметки.txt '???????.txt') is not a valid DCD file"$'\n'          заметки.txt
check 0 "$(shown данные '??????') is not a valid file name."$'\n'                  данные
check 0 "$(shown нет.dcd '???.dcd') is not a valid file name."$'\n'                нет.dcd
check 0 "$(shown Jürgen.dcd $'J\xfcrgen.dcd') contains 300 frames."$'\n'          Jürgen.dcd
check 0 "$(shown run１.dcd 'run?.dcd') contains 300 frames."$'\n'                   run１.dcd
check 0 "$(shown Ā.dcd '?.dcd') contains 300 frames."$'\n'                          Ā.dcd
# An ANSI code page of UTF-8 (65001, as this locale gives under Wine): UTF-8 bytes.
in_locale hi_IN.UTF-8 check 0 $'轨迹.dcd contains 300 frames.\n'                   轨迹.dcd
in_locale hi_IN.UTF-8 check 0 "$cjk is not a valid file name."$'\n'               "$cjk"
check_console '轨迹.dcd contains 300 frames.'                                       轨迹.dcd
check_console 'траектория.dcd contains 300 frames.'                                 траектория.dcd
check_console 'most-negative.dcd contains -2147483648 frames.'                      most-negative.dcd
check_console "$long is not a valid file name."                                     "$long"
check_console "$wide is not a valid file name."                                     "$wide"
check_console '>' $'run1.dcd contains 300 frames.\n'                                run1.dcd

# Through a pipe, as from `dcdcount <(gunzip -c run1.dcd.gz)`.
through_pipe run1.dcd           ' contains 300 frames.'
through_pipe cut-short.dcd      ' is not a valid DCD file'
through_pipe marker8-be.dcd     ' contains 300 frames.'

check_status 0 closed run1.dcd
check_status 0 full run1.dcd
check_status 0 full missing.dcd
check_status 0 broken-pipe run1.dcd

printf '%d passed, %d failed, %d skipped\n' "$passed" "$failed" "$skipped"
[ "$failed" -eq 0 ]
