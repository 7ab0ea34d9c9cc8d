#!/usr/bin/env bats
# dcdcount run as its users run it: each case checks stdout byte for byte, the exit status, and an empty stderr,
# or is skipped with the reason. DCDCOUNT_COMMAND: how to start the program (an emulator, if any, then the program),
# its words separated by the ASCII unit separator (0x1f); DCDCOUNT_EOL: the host's line ending, lf or crlf. By hand:
#   DCDCOUNT_COMMAND=$PWD/build/release/dcdcount bats tests/cli.bats

# Names are written in UTF-8; under Wine this locale gives ANSI code page 1252.
export LC_ALL=C.UTF-8

setup_file() {
    : "${DCDCOUNT_COMMAND:?names how to start the program}"
    cd "$BATS_FILE_TMPDIR" || return
    local name folder
    # DCD headers: marker, tag and count, little- or big-endian.
    printf '\x54\0\0\0CORD\x2c\x01\0\0' >run1.dcd
    printf '\0\0\0\x54CORD\0\0\x01\x2c' >run1-be.dcd
    printf '\x54\0\0\0CORD\x01\0\0\0' >one.dcd
    printf '\0\0\0\x54CORD\0\0\0\0' >zero.dcd
    printf '\0\0\0\x54CORD\xff\xff\xff\xff' >minus-one.dcd
    printf '\x54\0\0\0CORD\0\0\0\x80' >most-negative.dcd
    # Bytes a text-mode stream mangles: Ctrl-Z ends it, CR LF becomes LF (crlf-be.dcd: the count's end and after).
    printf '\x54\0\0\0CORD\x1a\0\0\0' >ctrl-z.dcd
    printf '\x54\0\0\0CORD\r\n\0\0' >crlf.dcd
    printf '\0\0\0\x54CORD\0\0\n\r\n' >crlf-be.dcd
    printf '\x54\0\0\0' >cut-short.dcd
    : >empty.dcd
    printf 'Just some notes about run 1.\n' >notes.txt
    cp notes.txt 'notes%s%n%x.txt' && cp notes.txt заметки.txt
    cp run1-be.dcd ./- && cp run1-be.dcd траектория.dcd
    mkdir -p traj nested данные
    # With them, names in scripts outside the ANSI code page of a Windows host, and one inside it.
    for name in read-only.dcd 'my run %d%s%n.dcd' traj/run1.dcd 轨迹.dcd '🧬 run.dcd' '100% 轨迹 %s.dcd' \
        данные/run1.dcd Jürgen.dcd run１.dcd Ā.dcd; do
        cp run1.dcd "$name"
    done
    chmod a=r read-only.dcd
    # A path past MAX_PATH (260), 311 bytes deep.
    folder=$(printf '%0100d' 0 | tr 0 f)
    export deep=$folder/$folder/$folder/run1.dcd
    mkdir -p "${deep%/*}" && cp run1.dcd "$deep"
    # Whole trajectories, with 4-byte and 8-byte markers: a program that reads ahead would read more of them.
    cp "$BATS_TEST_DIRNAME/../samples/run1-little-endian.dcd" sample.dcd
    { printf '\x54\0\0\0\0\0\0\0'; tail -c +5 sample.dcd; } >sample-marker8.dcd
    # A trajectory past 4 GiB: sparse, so it costs no disk (one byte written at its end, with POSIX dd).
    cp run1-be.dcd huge.dcd
    printf '\0' | dd of=huge.dcd bs=1 seek=5368709119 conv=notrunc 2>/dev/null || true
}

setup() {
    IFS=$'\x1f' read -r -a program <<<"$DCDCOUNT_COMMAND"
    if [ "${DCDCOUNT_EOL-lf}" = crlf ]; then eol=$'\r\n'; else eol=$'\n'; fi
    cd "$BATS_FILE_TMPDIR" || return
}
teardown() { [ -z "${reach-}" ] || rm -rf "$reach"; }

# check LINE [ARG...]: the program prints LINE and the host's line ending ("\n" in LINE stands for it too),
# exits 0, and writes nothing to stderr.
check() {
    printf '%s' "${1//$'\n'/$eol}$eol" >want
    outcome 0 "${program[@]}" "${@:2}"
}
# outcome STATUS COMMAND...: COMMAND prints what the file want holds, exits STATUS, and writes nothing to stderr.
outcome() {
    local status=0
    "${@:2}" >out 2>err || status=$?
    same out want "standard output"
    [ "$status" = "$1" ] || { echo "exit status $status, want $1; stderr: $(cat err)"; return 1; }
    [ ! -s err ] || { echo "wrote to stderr: $(cat err)"; return 1; }
}
same() { # GOT WANT WHAT: the two files agree, or both are shown
    cmp -s "$1" "$2" || { printf '%s, got then want:\n%s\n%s\n' "$3" "$(od -c "$1")" "$(od -c "$2")"; return 1; }
}

# posix_only: Windows takes file names as UTF-16 text, not bytes, and has no /dev/fd.
posix_only() { [ "$eol" = $'\n' ] || skip "${1:-names as bytes and /dev/fd/N}: POSIX hosts only"; }
# shown NAME WINDOWS-BYTES: NAME as the program writes it to a file or a pipe: POSIX hosts write the bytes they
# were given; Windows the ANSI code page (1252 here), with '?' for each UTF-16 unit the code page lacks.
shown() { if [ "$eol" = $'\n' ]; then printf '%s' "$1"; else printf '%s' "$2"; fi; }
counts() { check "$(shown "$1" "$2") contains 300 frames." "$1"; } # NAME WINDOWS-BYTES

# longest POSIX WINDOWS: name, the longest name this host passes to the program, in the character POSIX (on a POSIX
# host) or WINDOWS (under Wine), the rest 'x': on Linux an argument of 131,071 bytes (32 pages, with its NUL); under
# Wine a command line of 32,767 UTF-16 units, which holds the program's path too, quoted, on drive Z:.
longest() {
    local limit width count
    if [ "$eol" = $'\n' ]; then
        [ "$(uname -s)" = Linux ] || skip "the longest argument, as Linux bounds it: POSIX hosts bound only the whole"
        limit=$(getconf PAGESIZE) || skip "PAGESIZE: no getconf here to read it"
        limit=$((32 * limit - 1)) width=$(printf '%s' "$1" | wc -c)
    else
        limit=$((32767 - ${#program[${#program[@]} - 1]} - 6)) width=1
        set -- "$2"
    fi
    count=$((limit / width))
    name=$(printf "$1%.0s" $(seq "$count"))$(printf "%$((limit - count * width))s" '' | tr ' ' x)
}
# at_length BYTES: path, a path of BYTES bytes to a copy of run1.dcd, through folders named in 4-byte characters
# (UTF-8's widest), which is made from within its folder: no longer path opens.
at_length() {
    local folder name
    folder=$(printf '🧬%.0s' $(seq 63)) path=long-paths/$1
    while [ $(($1 - $(printf '%s' "$path" | wc -c))) -gt 256 ]; do path=$path/$folder; done
    name=$(printf "%$(($1 - $(printf '%s' "$path" | wc -c) - 5))s" '' | tr ' ' x).dcd
    mkdir -p "$path" && (cd "$path" && cp "$BATS_FILE_TMPDIR/run1.dcd" "$name") && path=$path/$name
}

# in_locale LOCALE: the program runs in LOCALE (such as hi_IN.UTF-8), compiled into the work folder where the
# system lacks it; Wine needs it installed to read the arguments in its character set.
in_locale() {
    if ! locale -a 2>/dev/null | grep -qix "${1/UTF-8/utf8}"; then
        mkdir -p locales
        localedef -i "${1%%.*}" -f "${1#*.}" "locales/$1" 2>/dev/null ||
            skip "locale $1: not installed, and localedef cannot compile it"
        program=(env "LOCPATH=$PWD/locales" "${program[@]}")
    fi
    program=(env "LC_ALL=$1" "${program[@]}")
}

# as_reader LINE ARG...: check, run by a user who may only read the read-only files (root may write any): as
# root, by nobody (through setpriv, of util-linux, or su), running a copy of the program in a folder nobody reaches.
as_reader() {
    posix_only "a read-only file as an ordinary user: Wine runs only as the owner of its prefix"
    local last=$((${#program[@]} - 1)) become
    if [ "$(id -u)" = 0 ]; then
        become=(setpriv --reuid=nobody --regid="$(id -g nobody 2>/dev/null)" --clear-groups)
        "${become[@]}" true 2>/dev/null || become=(su -s "$BASH" nobody -c 'exec "$0" "$@"' --)
        "${become[@]}" true </dev/null >/dev/null 2>&1 ||
            skip "a read-only file as an ordinary user: no user nobody, or no setpriv (util-linux) or su to become it"
        reach=$(mktemp -d) && chmod a+rx "$reach"
        cp "${program[$last]}" read-only.dcd "$reach"
        program=("${become[@]}" "${program[@]:0:$last}" "$reach/${program[$last]##*/}")
        cd "$reach" || return
    fi
    check "$@"
}

# on_terminal ['>'] LINE ARG...: on a terminal (a pseudo-terminal that script makes) the line shows the name as
# typed, on every host, and the terminal shows that whole line alone; with '>', stdout sent to a file from that
# terminal, stderr left on it, the file gets LINE (as for check), the terminal nothing; with '2>', stderr sent to
# the file, it gets nothing.
on_terminal() {
    local redirect=''
    case $1 in '>' | '2>') redirect=" $1out" && shift ;; esac
    printf '%s\n' "$1" >want-shown
    : >want
    [ "$redirect" != ' >out' ] || { printf '%s' "$1$eol" >want; : >want-shown; }
    : >out
    # A terminal wide enough for the longest line: Wine breaks it at the last column.
    # (In a file: the longest name is all that one argument holds.)
    printf '%s\n' "stty cols 32767; $(printf '%q ' "${program[@]}" "${@:2}")$redirect" >terminal.sh
    if script --version 2>/dev/null | grep -q util-linux; then
        SHELL=$BASH script -qec "$BASH terminal.sh" /dev/null </dev/null >terminal 2>&1 || true
    elif script -q /dev/null true </dev/null >/dev/null 2>&1; then
        script -q /dev/null "$BASH" terminal.sh </dev/null >terminal 2>&1 || true
    else
        skip "the console: no script (util-linux or BSD) to make a terminal"
    fi
    # What the terminal shows, without Wine's cursor controls and carriage returns.
    sed "s/$(printf '\033')\\[[0-9;?]*[a-zA-Z]//g; s/$(printf '\r')//g" terminal >shown
    same shown want-shown "the terminal" && same out want "the file"
}

# through_pipe FILE REST: FILE's bytes through a pipe, named /dev/fd/7; REST is what the line holds after the name.
through_pipe() {
    posix_only
    exec 7< <(cat "$1")
    [ -e /dev/fd/7 ] || skip "a pipe as /dev/fd/N: there is no /dev/fd here (FreeBSD: mount fdescfs)"
    check "/dev/fd/7$2" /dev/fd/7
}

# stdout_to TARGET ARG...: with stdout closed, full or a pipe whose reader has gone, the program exits 0, silent.
stdout_to() {
    local fd=9
    case $1 in
    closed) fd=- ;;
    full) [ -c /dev/full ] && exec 9>/dev/full || skip "stdout on a full device: no /dev/full here" ;;
    broken-pipe)
        env --default-signal=PIPE true 2>/dev/null ||
            skip "stdout a broken pipe: no env --default-signal (GNU coreutils 8.31) to undo an ignored SIGPIPE"
        # A pipe with no reader left: the first write fails, or raises SIGPIPE, restored to its default so the
        # program has to ignore it.
        rm -f fifo && mkfifo fifo
        exec 8<>fifo 9>fifo 8<&-
        program=(env --default-signal=PIPE "${program[@]}")
        ;;
    esac
    : >want
    outcome 0 to_fd "$fd" "${@:2}"
    exec 9>&-
}
to_fd() { "${program[@]}" "${@:2}" >&"$1"; }

# traced NAME [,CALL...]: the program counts NAME under strace (seeing its own calls, not an emulator's), tracing
# opens, closes and CALLs; calls gets those on the descriptor the open of NAME returned, up to its close (a number
# can be used again after).
traced() {
    command -v strace >/dev/null || skip "strace is not installed"
    [ "${#program[@]}" = 1 ] || skip "the program runs under an emulator, whose calls strace would see"
    strace -qq -o /dev/null true 2>/dev/null || skip "strace cannot trace here"
    # The leak checker of a sanitized build cannot work in a traced process.
    export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
    strace -qq -o trace -e trace=open,openat,close${2-} "${program[@]}" "$1" >out
    awk -v name="\"$1\"" '
        fd == "" && /^open(at)?\(/ && index($0, name) { fd = $NF; next }
        fd != "" && $0 ~ "^[a-z0-9]+\\(" fd "[,)]" { print }
        fd != "" && $0 ~ "^close\\(" fd "\\)" { exit }' trace >calls
}
# reads WHAT NAME MOST: the program counts the whole trajectory NAME, asking it for at most MOST bytes (said on
# the test's output, for the benchmark).
reads() {
    traced "$2" ,read,readv,pread64,preadv,preadv2
    local bytes line
    read -r line <out
    bytes=$(awk '/^p?read/ { total += $NF } END { print total + 0 }' calls)
    echo "# bytes read, $1: $bytes (at most $3)" >&3
    [ "$line" = "$2 contains 300 frames." ] || { echo "printed '$line'"; return 1; }
    # At least the marker and the count, which the line needs: fewer, and the trace missed a read.
    [ "$bytes" -ge 8 ] && [ "$bytes" -le "$3" ] || { echo "read $bytes bytes, not from 8 to $3"; return 1; }
}
# close_fails LINE NAME: when closing NAME fails (and only that close, made to fail by strace), LINE is still
# printed and the exit status is 255. strace picks the close by the file's real path, not by counting closes:
# how often a sanitized build's runtime opens and closes /proc/self/maps differs from run to run.
close_fails() {
    traced "$2"
    grep -q '^close' calls || { echo "$2 is never closed"; return 1; }
    printf '%s\n' "$1" >want
    outcome 255 strace -qq -o /dev/null -P "$(pwd -P)/$2" -e trace=close -e inject=close:error=EIO:when=1 \
        "${program[@]}" "$2"
}

# as_written EXAMPLES OUTPUT: EXAMPLES, as a user copies them, run by bash with the program on PATH as dcdcount,
# print OUTPUT (/dev/fd/N for any /dev/fd/), in a folder holding two trajectories and a text file named .dcd in
# samples/, one trajectory beside them, and a tree of runs, one of them not DCD.
as_written() {
    posix_only "a POSIX shell's examples"
    mkdir -p examples/bin examples/samples examples/runs/1 examples/runs/2
    printf '#!%s\nexec %s "$@"\n' "$BASH" "$(printf '%q ' "${program[@]}")" >examples/bin/dcdcount
    chmod +x examples/bin/dcdcount
    cp run1.dcd examples/a.dcd && cp run1.dcd examples/runs/1/run.dcd && cp notes.txt examples/runs/2/run.dcd
    cp run1.dcd examples/samples/run1-little-endian.dcd && cp run1-be.dcd examples/samples/run1-big-endian.dcd
    cp notes.txt examples/samples/notes.dcd
    gzip -c run1.dcd >examples/run1.dcd.gz
    printf '%s\n' "$2" >want
    outcome 0 examples "$1"
}
examples() { (cd examples && PATH=$PWD/bin:$PATH "$BASH" -c "$1") | sed -E 's|/dev/fd/[0-9]+|/dev/fd/N|'; }

@test "little-endian, 300 frames" { check 'run1.dcd contains 300 frames.' run1.dcd; }
@test "big-endian, 300 frames" { check 'run1-be.dcd contains 300 frames.' run1-be.dcd; }
@test "1 frames, as every count is said" { check 'one.dcd contains 1 frames.' one.dcd; }
@test "0 frames" { check 'zero.dcd contains 0 frames.' zero.dcd; }
@test "-1 frames, signed" { check 'minus-one.dcd contains -1 frames.' minus-one.dcd; }
@test "the most negative count" { check 'most-negative.dcd contains -2147483648 frames.' most-negative.dcd; }
@test "a file past 4 GiB" {
    [ "$(ls -ln huge.dcd | awk '{ print $5 }')" = 5368709120 ] || skip "a sparse 5 GiB file: the file system keeps none"
    check 'huge.dcd contains 300 frames.' huge.dcd
}
@test "a count holding Ctrl-Z: the file is read as bytes" { check 'ctrl-z.dcd contains 26 frames.' ctrl-z.dcd; }
@test "a count holding CR LF" { check 'crlf.dcd contains 2573 frames.' crlf.dcd; }
@test "a count holding CR LF, big-endian" { check 'crlf-be.dcd contains 2573 frames.' crlf-be.dcd; }
@test "a text file" { check 'notes.txt is not a valid DCD file' notes.txt; }
@test "a header cut short" { check 'cut-short.dcd is not a valid DCD file' cut-short.dcd; }
@test "an empty file" { check 'empty.dcd is not a valid DCD file' empty.dcd; }
@test "a missing file" { check 'missing.dcd is not a valid file name.' missing.dcd; }
@test "a folder" { check 'traj is not a valid file name.' traj; }
@test "a folder, with its slash" { check 'traj/ is not a valid file name.' traj/; }
@test "an empty name" { check ' is not a valid file name.' ''; }
@test "no name at all" { check ' is not a valid file name.'; }
@test "a path through .." { check './nested/../traj/run1.dcd contains 300 frames.' ./nested/../traj/run1.dcd; }
@test "% in a name is not a format" { check 'my run %d%s%n.dcd contains 300 frames.' 'my run %d%s%n.dcd'; }
@test "% in a missing name" { check '%s%n%x is not a valid file name.' '%s%n%x'; }
@test "% in the name of a file not DCD" { check 'notes%s%n%x.txt is not a valid DCD file' 'notes%s%n%x.txt'; }
@test "- is a file name, not standard input" { check '- contains 300 frames.' -; }
@test "-h is a file name, not an option" { check '-h is not a valid file name.' -h; }
@test "a read-only file, read by an ordinary user" { as_reader 'read-only.dcd contains 300 frames.' read-only.dcd; }
@test "only the first name counts" { check 'run1.dcd contains 300 frames.' run1.dcd notes.txt -h; }
@test "a name that is not UTF-8" {
    posix_only
    check $'\xff\xfe run.dcd is not a valid file name.' $'\xff\xfe run.dcd'
}
@test "a line break in a name" { check $'line\nbreak is not a valid file name.' $'line\nbreak'; }
@test "a path of 311 bytes" { check "$deep contains 300 frames." "$deep"; }
@test "Chinese" { counts 轨迹.dcd '??.dcd'; }
@test "Cyrillic, big-endian" { counts траектория.dcd '??????????.dcd'; }
@test "an emoji and a space" { counts '🧬 run.dcd' '?? run.dcd'; }
@test "Chinese and %" { counts '100% 轨迹 %s.dcd' '100% ?? %s.dcd'; }
@test "a Cyrillic folder" { counts данные/run1.dcd '??????/run1.dcd'; }
@test "a Cyrillic file not DCD" { check "$(shown заметки.txt '???????.txt') is not a valid DCD file" заметки.txt; }
@test "a Cyrillic folder named" { check "$(shown данные '??????') is not a valid file name." данные; }
@test "a missing Cyrillic file" { check "$(shown нет.dcd '???.dcd') is not a valid file name." нет.dcd; }
@test "a name inside the ANSI code page" { counts Jürgen.dcd $'J\xfcrgen.dcd'; }
@test "a full-width digit, no look-alike" { counts run１.dcd 'run?.dcd'; }
@test "a macron, no look-alike" { counts Ā.dcd '?.dcd'; }
# An ANSI code page of UTF-8 (65001, as this locale gives under Wine): UTF-8 bytes.
@test "UTF-8 locale: Chinese" { in_locale hi_IN.UTF-8; check '轨迹.dcd contains 300 frames.' 轨迹.dcd; }
@test "UTF-8 locale: the longest name, in Chinese" {
    in_locale hi_IN.UTF-8
    longest 轨 轨
    check "$name is not a valid file name." "$name"
}
@test "the longest name, in the widest characters; one past it does not start" {
    longest 🧬 轨
    check "$(shown "$name" "${name//轨/?}") is not a valid file name." "$name"
    local status=0
    "${program[@]}" "${name}x" >out 2>err || status=$?
    [ "$status" != 0 ] && [ ! -s out ] || { echo "one past the longest, the program ran: $status, $(cat out)"; return 1; }
}
@test "paths of PATH_MAX bytes less one, which opens, and of PATH_MAX, which does not" {
    posix_only "PATH_MAX"
    local most
    most=$(getconf PATH_MAX .) || skip "PATH_MAX: no getconf here to read it"
    at_length $((most - 1))
    check "$path contains 300 frames." "$path"
    at_length "$most"
    check "$path is not a valid file name." "$path"
}
@test "terminal: Chinese" { on_terminal '轨迹.dcd contains 300 frames.' 轨迹.dcd; }
@test "terminal: Cyrillic" { on_terminal 'траектория.dcd contains 300 frames.' траектория.dcd; }
@test "terminal: the most negative count" {
    on_terminal 'most-negative.dcd contains -2147483648 frames.' most-negative.dcd
}
@test "terminal: the longest name" { longest 🧬 ü; on_terminal "$name is not a valid file name." "$name"; }
@test "terminal, stdout to a file" { on_terminal '>' 'run1.dcd contains 300 frames.' run1.dcd; }
@test "terminal, stderr to a file" { on_terminal '2>' 'run1.dcd contains 300 frames.' run1.dcd; }
@test "README's examples, as written" {
    as_written "$(awk '/^## / { usage = $0 == "## Usage" } usage && /^```/ { n++; next } usage && n == 3' \
        "$BATS_TEST_DIRNAME/../README.md")" "samples/run1-big-endian.dcd contains 300 frames.
samples/notes.dcd is not a valid DCD file
samples/run1-big-endian.dcd contains 300 frames.
samples/run1-little-endian.dcd contains 300 frames.
samples/notes.dcd is not a valid DCD file
/dev/fd/N contains 300 frames."
}
@test "the manual page's examples, as written" {
    as_written "$(sed -n '/^\.SH EXAMPLES/,/^\.SH/{ /^\.nf/,/^\.fi/{ /^\./d; p; }; }' \
        "$BATS_TEST_DIRNAME/../doc/dcdcount.1" | sed 's/\\-/-/g; s/\\(aq/'"'"'/g; s/\\e/\\/g')" \
        "a.dcd contains 300 frames.
runs/2/run.dcd is not a valid DCD file
/dev/fd/N contains 300 frames."
}
# said TEXT: the lines that TEXT says the program prints, FILE (or file) and N (or n) standing for the name and count.
said() {
    local text=$BATS_TEST_DIRNAME/../$1
    case $1 in
    README.md) sed -n '/^\$ dcdcount /{n;p;}; s/.*prints `\([^`]* contains [^`]*\)`.*/\1/p
        s/^| [^|]* | `\(.*\)` | 0 |$/\1/p' "$text" ;;
    doc/dcdcount.1) sed -n 's/^\.IB //p' "$text" | sed 's/ *"\([^"]*\)" */\1/g' ;;
    doc/building.md) sed -n 's/.*assert_equal "\(.*\)\\n", .*/\1/p' "$text" ;;
    *) sed -n 's/^  \(FILE .*[^ ]\)   *[^ ].*/\1/p' "$text" ;;
    esac
}
@test "each line the documents say it prints, exactly as it prints it" {
    local row line name lines names='run1.dcd notes.txt missing.dcd samples/run1-little-endian.dcd'
    mkdir -p samples && cp run1.dcd samples/run1-little-endian.dcd
    for name in $names; do "${program[@]}" "$name" >"printed-${name##*/}"; done
    # Each text, and the names of the lines it states, in its order.
    for row in 'README.md:run1.dcd samples/run1-little-endian.dcd run1.dcd notes.txt missing.dcd' \
        'doc/dcdcount.1:run1.dcd notes.txt missing.dcd' \
        'doc/usage.txt:run1.dcd notes.txt missing.dcd' 'doc/description.txt:run1.dcd notes.txt missing.dcd' \
        'doc/building.md:run1.dcd'; do
        lines=''
        while IFS= read -r line; do
            for name in $names; do
                printf '%s' "$(sed -E "s#^(FILE|file)( |\$)#$name\2#; s/ (N|n) / 300 /" <<<"$line")$eol" >want
                ! cmp -s want "printed-${name##*/}" || { lines+=" $name" && continue 2; }
            done
            echo "${row%%:*} says it prints '$line', which it never does" && return 1
        done < <(said "${row%%:*}")
        [ "$lines" = " ${row#*:}" ] || { echo "${row%%:*} states lines for:$lines, not for ${row#*:}"; return 1; }
    done
}
# USAGE.txt's Command Prompt examples, typed at Wine's cmd as a user types them (cmd /c would take the line as Wine
# quotes an argument), then from a batch file written as USAGE.txt says, in a folder of trajectories whose names
# hold spaces: each gives its files' counts (a loop that split names would give "my is not a valid ...").
@test "USAGE.txt's examples, as written, at a Command Prompt and in a batch file" {
    [ "$eol" != $'\n' ] || skip "a Command Prompt: Windows hosts only"
    local last=$((${#program[@]} - 1)) usage=$BATS_TEST_DIRNAME/../doc/usage.txt batch example how wanted ran=0
    mkdir -p "usage/runs/week 2" && cp "${program[$last]}" usage/dcdcount.exe && cd usage
    for name in run1.dcd 'my run.dcd' 'runs/a b.dcd' 'runs/week 2/last run.dcd'; do cp ../run1.dcd "$name"; done
    # "In a batch file, write %%f for %f.": what to write, and for what.
    batch=$(sed -n 's/^In a batch file, write \([^ ]*\) for \([^ ]*\)\.$/\1 \2/p' "$usage")
    while IFS= read -r example; do
        ran=$((ran + 1)) wanted=$'my run.dcd\nrun1.dcd'
        [[ $example != *'for /r runs '* ]] || wanted=$'a b.dcd\nlast run.dcd'
        [[ $example != 'dcdcount run1.dcd' ]] || wanted=run1.dcd
        printf '@echo off\r\n%s\r\n' "${example//${batch#* }/${batch% *}}" >run.bat
        for how in typed batch; do
            if [ "$how" = typed ]; then printf '%s\r\nexit\r\n' "$example" | "${program[@]:0:$last}" cmd
            else "${program[@]:0:$last}" cmd /c run.bat </dev/null; fi 2>/dev/null | tr -d '\r' >got
            # What each line names, without the prompt and the folder before the name.
            [ "$(sed -n 's/.*[\\>]//; s/ contains 300 frames\.$//p; / is not a valid /p' got | LC_ALL=C sort)" = \
                "$wanted" ] || { echo "as written, $how, '$example' gave:"; cat got; return 1; }
        done
    done < <(sed -n 's/^  \(dcdcount .*\)$/\1/p; s/^  \(for .*\)$/\1/p' "$usage")
    [ -n "$batch" ] && [ "$ran" -ge 3 ] || { echo "doc/usage.txt: $ran examples; for batch files: '$batch'"; return 1; }
}
# Through a pipe, as from `dcdcount <(gunzip -c run1.dcd.gz)`.
@test "a pipe" { through_pipe run1.dcd ' contains 300 frames.'; }
@test "a pipe, cut short" { through_pipe cut-short.dcd ' is not a valid DCD file'; }
@test "stdout closed" { stdout_to closed run1.dcd; }
@test "stdout full" { stdout_to full run1.dcd; }
@test "stdout full, a missing file" { stdout_to full missing.dcd; }
@test "stdout a pipe whose reader has gone" { stdout_to broken-pipe run1.dcd; }
@test "bytes read of a file: at most 12" { reads file sample.dcd 12; }
@test "bytes read of a pipe: at most 12" { posix_only; exec 7< <(cat sample.dcd); reads pipe /dev/fd/7 12; }
@test "bytes read with 8-byte markers: at most 16" { reads '8-byte markers' sample-marker8.dcd 16; }
@test "closing a DCD file fails: exit status 255" { close_fails 'run1.dcd contains 300 frames.' run1.dcd; }
@test "closing a file not DCD fails: exit status 255" { close_fails 'notes.txt is not a valid DCD file' notes.txt; }
