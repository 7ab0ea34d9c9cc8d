#!/usr/bin/env bash
# What a distribution's flags give the compiler, and its program: for each row, configures this source in a scratch
# folder and reads the command that compiles app/count_frames.cpp; where the row says so, builds the program and
# holds it to the hardening this host's build promises (check_hardening.sh), linked dynamically where asked, as
# distributions link. Every build type a packager uses (none, None, Release, RelWithDebInfo, MinSizeRel), Debian's
# flags (dpkg-buildflags) and Fedora's (written out) get all of it. A distribution's optimisation and
# _FORTIFY_SOURCE levels stand as given, also where the compiler fortifies by itself when optimising (as Ubuntu
# 24.04's gcc does, at level 3) and in a build folder configured again; the build adds -D_FORTIFY_SOURCE=2 (with
# glibc) only where the flags optimise and nothing chose a level.
# usage: tests/check_flags.sh CMAKE GENERATOR BUILD-PROGRAM SOURCE CXX LIBC BINUTILS-PREFIX PROMISED...
set -u
cmake=$1 generator=$2 make=$3 source=$4 cxx=$5 libc=$6 binutils=$7
shift 7
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
debian_cxx='no dpkg-buildflags' debian_ld=''
! command -v dpkg-buildflags >/dev/null || debian_cxx="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get \
    CPPFLAGS)" debian_ld=$(dpkg-buildflags --get LDFLAGS)
# Fedora 39's %optflags and %build_ldflags for any processor, without the compiler specs files only Fedora has.
fedora_cxx='-O2 -flto=auto -ffat-lto-objects -fexceptions -g -grecord-gcc-switches -pipe -Wall -Werror=format-security'\
' -Wp,-U_FORTIFY_SOURCE,-D_FORTIFY_SOURCE=3 -Wp,-D_GLIBCXX_ASSERTIONS -fstack-protector-strong'\
' -fasynchronous-unwind-tables -fstack-clash-protection'
fedora_ld='-Wl,-z,relro -Wl,--as-needed -Wl,-z,now -Wl,--build-id=sha1'

# Each of these is built, in the row its last column names, and held to the promise.
failed=0 skipped=0 row=0 built='' types='None none Release RelWithDebInfo MinSizeRel Debian Fedora'
# Each row: compiler|build type|CXXFLAGS|LDFLAGS|configured with|in the command|not in it|built as:linked:static
while IFS='|' read -r compiler type flags ldflags with wanted unwanted link; do
    row=$((row + 1))
    [ "$compiler" = fortifying ] && compiler=$work/fortifying-c++ || compiler=$cxx
    [ "$flags" != 'no dpkg-buildflags' ] || { echo "skipped: Debian's flags: dpkg-buildflags is not installed"
        skipped=77 types=${types/ Debian/} && continue; }
    # "again ARG": configured without ARG, then again with it.
    first=$with again=''
    [[ $with != "again "* ]] || first='' again=${with#again }
    for extra in "$first" ${again:+"$again"}; do
        CXXFLAGS=$flags LDFLAGS=$ldflags "$cmake" -G "$generator" -DCMAKE_MAKE_PROGRAM="$make" -S "$source" \
            -B "$work/$row" -DCMAKE_CXX_COMPILER="$compiler" -DCMAKE_BUILD_TYPE="$type" -DBUILD_TESTING=OFF \
            -DCMAKE_EXPORT_COMPILE_COMMANDS=ON ${link:+-DDCDCOUNT_STATIC=${link##*:}} ${extra:+"$extra"} \
            >"$work/$row.log" 2>&1 || { cat "$work/$row.log"; failed=1; continue 2; }
    done
    command=$(grep -m1 '"command": .*app/count_frames\.cpp' "$work/$row/compile_commands.json")
    echo "build type '$type', CXXFLAGS '$flags', LDFLAGS '$ldflags', compiler ${compiler##*/}${with:+, $with}: $command"
    # And the project's own flag that no later check can read from the program.
    if [[ $command != *"$wanted"* || $command == *"$unwanted"* || $command != *" -Werror=format-security "* ]]; then
        echo "FAIL: want '$wanted', -Werror=format-security and no '$unwanted' in the compiler's flags"
        failed=1
    fi
    [ -n "$link" ] || continue
    "$cmake" --build "$work/$row" --target dcdcount >"$work/$row.log" 2>&1 ||
        { cat "$work/$row.log"; failed=1; continue; }
    promised=$(printf '%s\n' "$@" | sed "s/^static.*/$(cut -d: -f2 <<<"$link")/")
    [[ $flags != *-flto* ]] || promised+=" inlined"
    "${0%/*}/check_hardening.sh" "$work/$row/dcdcount" "$binutils" $promised || failed=1
    built+=" ${link%%:*}"
done <<EOF
c++|Release|-O2 -D_FORTIFY_SOURCE=3|||-D_FORTIFY_SOURCE=3|_FORTIFY_SOURCE=2|
c++|None|-O2 -g|||-O2 -g|-O3|None:dynamic:OFF
c++||-O2||| -O2 |-O3|
c++||||| -O3 |-ffile-prefix-map|none:${1}:AUTO
c++|Release||||$ours|-ffile-prefix-map|Release:${1}:AUTO
fortifying|Release||||-O3|_FORTIFY_SOURCE=2|
c++|Release|||again -DCMAKE_CXX_FLAGS=-O2 -D_FORTIFY_SOURCE=3|-D_FORTIFY_SOURCE=3|_FORTIFY_SOURCE=2|
c++|RelWithDebInfo||||-O2 -g|-O3|RelWithDebInfo:${1}:AUTO
c++|MinSizeRel||||-Os|-O3|MinSizeRel:${1}:AUTO
c++|None|$debian_cxx|$debian_ld||-O2|-O3|Debian:dynamic:OFF
c++|Release|$fedora_cxx|$fedora_ld|-DCMAKE_CXX_FLAGS_RELEASE=-DNDEBUG|-D_FORTIFY_SOURCE=3|-O3|Fedora:dynamic:OFF
EOF
[ "$built" = " $types" ] || { echo "FAIL: the programs built and held to their promise are$built, not $types"
    failed=1; }
[ "$failed" = 1 ] || exit "$skipped"
exit 1
