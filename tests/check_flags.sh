#!/usr/bin/env bash
# What a distribution's flags give the compiler: for each row, configures this source in a scratch folder and
# reads the command that compiles app/count_frames.cpp. A distribution's optimisation and _FORTIFY_SOURCE levels
# stand as given, also where the compiler fortifies by itself when optimising (as Ubuntu 24.04's gcc does, at
# level 3) and in a build folder configured again; the build adds -D_FORTIFY_SOURCE=2 (with glibc) only where
# nothing chose a level.
# usage: tests/check_flags.sh CMAKE GENERATOR BUILD-PROGRAM SOURCE CXX LIBC
set -u
cmake=$1 generator=$2 make=$3 source=$4 cxx=$5 libc=${6-}
# The compiler finds its assembler and linker beside it, whatever the PATH.
export PATH="${cxx%/*}:$PATH"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/fortifying-c++" <<EOF
#!/bin/sh
case " \$* " in
*" -O"[1-3s]" "* | *" -Ofast "*) exec "$cxx" -D_FORTIFY_SOURCE=3 "\$@" ;;
esac
exec "$cxx" "\$@"
EOF
chmod +x "$work/fortifying-c++"
ours=-D_FORTIFY_SOURCE=2
[ "$libc" = gnu ] || ours=

failed=0 row=0
# Each row: compiler|build type|CXXFLAGS|then configured again with|in the command|not in it
while IFS='|' read -r compiler type flags again wanted unwanted; do
    row=$((row + 1))
    [ "$compiler" = fortifying ] && compiler=$work/fortifying-c++ || compiler=$cxx
    for extra in "" ${again:+"$again"}; do
        CXXFLAGS=$flags "$cmake" -G "$generator" -DCMAKE_MAKE_PROGRAM="$make" -S "$source" -B "$work/$row" \
            -DCMAKE_CXX_COMPILER="$compiler" -DCMAKE_BUILD_TYPE="$type" -DBUILD_TESTING=OFF \
            -DCMAKE_EXPORT_COMPILE_COMMANDS=ON ${extra:+"$extra"} >"$work/$row.log" 2>&1 ||
            { cat "$work/$row.log"; failed=1; continue 2; }
    done
    command=$(grep -m1 '"command": .*app/count_frames\.cpp' "$work/$row/compile_commands.json")
    echo "build type '$type', CXXFLAGS '$flags', compiler ${compiler##*/}${again:+, then $again}: $command"
    if [[ $command != *"$wanted"* || $command == *"$unwanted"* ]]; then
        echo "FAIL: want '$wanted' and no '$unwanted' in the compiler's flags"
        failed=1
    fi
done <<EOF
c++|Release|-O2 -D_FORTIFY_SOURCE=3||-D_FORTIFY_SOURCE=3|_FORTIFY_SOURCE=2
c++|None|-O2|| -O2 |-O3
c++||-O2|| -O2 |-O3
c++|Release|||$ours|-ffile-prefix-map
fortifying|Release|||-O3|_FORTIFY_SOURCE=2
c++|Release||-DCMAKE_CXX_FLAGS=-O2 -D_FORTIFY_SOURCE=3|-D_FORTIFY_SOURCE=3|_FORTIFY_SOURCE=2
EOF
exit "$failed"
