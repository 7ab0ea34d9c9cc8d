#!/usr/bin/env bash
# Runs the Command Prompt examples of doc/usage.txt (USAGE.txt in the Windows
# zips) as written, under Wine's cmd, in a folder whose trajectories have
# names with spaces, and checks that each file gives its count: a loop that
# split names at spaces would give "my is not a valid file name." instead.
# Then each again from a batch file, written as its sentence on batch files
# says.
#
# usage: check_usage.sh SOURCE COMMAND...
#   SOURCE    the source folder
#   COMMAND   how to start a Windows program (env ... wine), then dcdcount.exe
set -u
source=$1
shift
program=${!#}
wine=("${@:1:$#-1}")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/runs/week 2"
cp "$program" "$work/dcdcount.exe"
for name in run1.dcd 'my run.dcd' 'runs/a b.dcd' 'runs/week 2/last run.dcd'; do
    cp "$source/samples/run1-little-endian.dcd" "$work/$name"
done
cd "$work" || exit 2

# "In a batch file, write %%f for %f.": what to write, and for what.
batch=$(sed -n 's/^In a batch file, write \([^ ]*\) for \([^ ]*\)\.$/\1 \2/p' "$source/doc/usage.txt")
[ -n "$batch" ] || { echo "FAIL: doc/usage.txt says nothing of batch files"; exit 1; }
failed=0
while IFS= read -r example; do
    case $example in
    *'for /r runs '*) wanted=$'a b.dcd\nlast run.dcd' ;;
    *) wanted=$'my run.dcd\nrun1.dcd' ;;
    esac
    # Typed at the prompt of cmd, as a user does (cmd /c would take the line
    # as Wine quotes an argument, not as typed); then run from a batch file.
    # What each line names, without the prompt and the folder before the name.
    printf '@echo off\r\n%s\r\n' "${example//${batch#* }/${batch% *}}" >run.bat
    for how in typed batch; do
        if [ "$how" = typed ]; then
            printf '%s\r\nexit\r\n' "$example" | "${wine[@]}" cmd
        else
            "${wine[@]}" cmd /c run.bat </dev/null
        fi 2>/dev/null | tr -d '\r' >got
        got=$(sed -n 's/.*[\\>]//; s/ contains 300 frames\.$//p; / is not a valid /p' got | LC_ALL=C sort)
        if [ "$got" = "$wanted" ]; then
            echo "as written, $how: $example"
        else
            echo "FAIL: as written, $how, '$example' gave:"
            cat got
            failed=1
        fi
    done
done < <(sed -n 's/^  \(for .*\)$/\1/p' "$source/doc/usage.txt")
exit "$failed"
