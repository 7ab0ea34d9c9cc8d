#!/usr/bin/env bash
# Runs the Command Prompt examples of doc/usage.txt (USAGE.txt in the Windows
# zips) as written, under Wine's cmd, in a folder whose trajectories have
# names with spaces, and checks that each file gives its count: a loop that
# split names at spaces would give "my is not a valid file name." instead.
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

failed=0
while IFS= read -r example; do
    case $example in
    *'for /r runs '*) wanted=$'a b.dcd\nlast run.dcd' ;;
    *) wanted=$'my run.dcd\nrun1.dcd' ;;
    esac
    # Typed at the prompt of cmd, as a user does (cmd /c would take the line
    # as Wine quotes an argument, not as typed). What each line names, without
    # the prompt and the folder before the name.
    got=$(printf '%s\r\nexit\r\n' "$example" | "${wine[@]}" cmd 2>/dev/null | tr -d '\r' |
        sed -n 's/.*[\\>]//; s/ contains 300 frames\.$//p; / is not a valid /p' | LC_ALL=C sort)
    if [ "$got" = "$wanted" ]; then
        echo "as written: $example"
    else
        echo "FAIL: as written, '$example' gave:"
        printf '%s\n' "$got"
        failed=1
    fi
done < <(sed -n 's/^  \(for .*\)$/\1/p' "$source/doc/usage.txt")
exit "$failed"
