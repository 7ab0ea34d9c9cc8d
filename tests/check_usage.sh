#!/usr/bin/env bash
# Runs the Command Prompt examples of doc/usage.txt (USAGE.txt in the Windows zips) as written under Wine's cmd,
# typed and then from a batch file written as its sentence on batch files says, in a folder of trajectories whose
# names hold spaces: each must give its file's count (a loop that split names would give "my is not a valid ...").
# usage: check_usage.sh SOURCE COMMAND...   (SOURCE: the source folder; COMMAND: how to start a Windows program,
#        such as env ... wine, then dcdcount.exe)
set -u
source=$1 program=${!#}
wine=("${@:2:$#-2}")

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
failed=0 ran=0
while IFS= read -r example; do
    ran=$((ran + 1)) wanted=$'my run.dcd\nrun1.dcd'
    [[ $example != *'for /r runs '* ]] || wanted=$'a b.dcd\nlast run.dcd'
    [[ $example != 'dcdcount run1.dcd' ]] || wanted=run1.dcd
    printf '@echo off\r\n%s\r\n' "${example//${batch#* }/${batch% *}}" >run.bat
    for how in typed batch; do
        # Typed at cmd's prompt, as a user does (cmd /c would take the line as Wine quotes an argument).
        if [ "$how" = typed ]; then
            printf '%s\r\nexit\r\n' "$example" | "${wine[@]}" cmd
        else
            "${wine[@]}" cmd /c run.bat </dev/null
        fi 2>/dev/null | tr -d '\r' >got
        # What each line names, without the prompt and the folder before the name.
        got=$(sed -n 's/.*[\\>]//; s/ contains 300 frames\.$//p; / is not a valid /p' got | LC_ALL=C sort)
        [ "$got" = "$wanted" ] && echo "as written, $how: $example" && continue
        echo "FAIL: as written, $how, '$example' gave:"
        cat got
        failed=1
    done
done < <(sed -n 's/^  \(dcdcount .*\|for .*\)$/\1/p' "$source/doc/usage.txt")
[ "$ran" -ge 3 ] || { echo "FAIL: $ran examples of doc/usage.txt run, not all three"; exit 1; }
exit "$failed"
