# Linux programs linked statically against musl, for the processor that the target file including this names
# (CMAKE_SYSTEM_PROCESSOR as the kernel names it, and dcdcount_triple, Debian's GNU triple for it): clang with
# libc++'s headers over musl's C library, linked by Debian's binutils for that processor, with its cross gcc's
# compiler runtime (on 64-bit ARM, printf's 128-bit long double needs its soft-float helpers). Such a program starts
# in a fraction of the time a glibc one takes, and is a few dozen KB.
#
# ONLY THE HEADER-ONLY PARTS OF THE C++ LIBRARY ARE AVAILABLE HERE: no part of libc++ or libc++abi is linked, and
# exceptions and RTTI are off; the tests' own programs keep to that too.
#
# musl is Debian's musl-dev for that processor: the host's own where it is installed, else the .deb of the host's
# musl-dev version for that processor, unpacked into DCDCOUNT_MUSL_ROOT, outside the source tree. It cannot be
# installed beside the host's (it is not Multi-Arch: same); apt fetches it with a package state of its own, so nothing
# the host has installed changes.
# apt-get install: clang libc++-dev musl-dev binutils dpkg-dev

string(REPLACE "-gnu" "-musl" musl_triple ${dcdcount_triple})
if(NOT CMAKE_SYSTEM_PROCESSOR STREQUAL CMAKE_HOST_SYSTEM_PROCESSOR)
    set(CMAKE_SYSTEM_NAME Linux)
    set(CMAKE_CROSSCOMPILING_EMULATOR qemu-${CMAKE_SYSTEM_PROCESSOR})
endif()
# Read by cmake/presets.cmake for the target's settings alone: nothing to find.
if(CMAKE_SCRIPT_MODE_FILE)
    return()
endif()
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET ${musl_triple})
set(CMAKE_CXX_COMPILER_TARGET ${musl_triple})
foreach(tool IN ITEMS AR RANLIB STRIP NM OBJCOPY OBJDUMP READELF)
    string(TOLOWER ${tool} name)
    set(CMAKE_${tool} /usr/bin/${dcdcount_triple}-${name})
endforeach()
set(CMAKE_LINKER /usr/bin/${dcdcount_triple}-ld)

set(cache $ENV{XDG_CACHE_HOME})
if(NOT cache)
    set(cache $ENV{HOME}/.cache)
endif()
set(musl_root "")
if(NOT EXISTS /usr/lib/${musl_triple}/rcrt1.o)
    set(DCDCOUNT_MUSL_ROOT ${cache}/dcdcount/${musl_triple} CACHE PATH
        "Debian's musl-dev for the target's processor, unpacked (made when missing)")
    set(musl_root ${DCDCOUNT_MUSL_ROOT})
endif()
if(musl_root AND NOT EXISTS ${musl_root}/usr/lib/${musl_triple}/rcrt1.o)
    execute_process(COMMAND dpkg-query -W -f=\${Version} musl-dev OUTPUT_VARIABLE version ERROR_QUIET)
    execute_process(COMMAND dpkg-architecture -t ${dcdcount_triple} -qDEB_HOST_ARCH
        OUTPUT_VARIABLE arch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    set(apt ${musl_root}.apt)
    file(REMOVE_RECURSE ${apt})
    file(MAKE_DIRECTORY ${apt}/lists/partial ${apt}/cache/archives/partial)
    file(TOUCH ${apt}/status)
    set(options -q -o APT::Architecture=${arch} -o APT::Architectures::=${arch} -o Debug::NoLocking=1
        -o Dir::State::Lists=${apt}/lists -o Dir::State::status=${apt}/status -o Dir::Cache=${apt}/cache)
    # Any source may fail its update; what counts is that the package comes.
    execute_process(COMMAND apt-get ${options} update OUTPUT_QUIET ERROR_VARIABLE errors)
    execute_process(COMMAND apt-get ${options} download musl-dev:${arch}=${version}
        WORKING_DIRECTORY ${apt} RESULT_VARIABLE failed OUTPUT_QUIET ERROR_VARIABLE more)
    file(GLOB deb ${apt}/musl-dev_*.deb)
    if(failed OR NOT deb)
        message(FATAL_ERROR "musl for ${CMAKE_SYSTEM_PROCESSOR}: apt could not fetch musl-dev:${arch}=${version} "
            "(needs musl-dev installed, dpkg-dev, and the archive's ${arch} side):\n${errors}${more}")
    endif()
    execute_process(COMMAND dpkg-deb -x ${deb} ${apt}/root COMMAND_ERROR_IS_FATAL ANY)
    file(REMOVE_RECURSE ${musl_root})
    file(RENAME ${apt}/root ${musl_root})
    file(REMOVE_RECURSE ${apt})
endif()
set(musl_include ${musl_root}/usr/include/${musl_triple})
set(musl_lib ${musl_root}/usr/lib/${musl_triple})

# clang's own headers, the folders where clang finds libc++'s, and the compiler runtime.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-resource-dir
    OUTPUT_VARIABLE resource_dir OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -stdlib=libc++ -E -v -x c++ /dev/null
    OUTPUT_QUIET ERROR_VARIABLE search)
string(REGEX REPLACE ".*search starts here:\n(.*)End of search list.*" "\\1" search "${search}")
string(REGEX MATCHALL "[^\n ]+/c\\+\\+/v1" libcxx_include "${search}")
execute_process(COMMAND ${dcdcount_triple}-gcc -print-libgcc-file-name
    OUTPUT_VARIABLE libgcc OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(failed OR NOT libcxx_include OR NOT EXISTS ${musl_lib}/libc.a OR NOT EXISTS "${libgcc}"
        OR NOT EXISTS ${CMAKE_LINKER})
    message(FATAL_ERROR "The musl toolchain for ${CMAKE_SYSTEM_PROCESSOR} needs clang, libc++'s headers, "
        "musl and gcc for ${dcdcount_triple}: apt-get install clang libc++-dev musl-dev gcc-${dcdcount_triple}")
endif()
list(TRANSFORM libcxx_include PREPEND "-isystem ")
list(JOIN libcxx_include " " libcxx_include)

set(c_include "-isystem ${musl_include} -isystem ${resource_dir}/include")
set(CMAKE_C_FLAGS_INIT "-nostdinc ${c_include}")
set(CMAKE_CXX_FLAGS_INIT
    "-nostdinc -D_LIBCPP_HAS_MUSL_LIBC ${libcxx_include} ${c_include} -fno-exceptions -fno-rtti")

# Programs are musl's start files around their objects, musl's C library and the compiler runtime: no C++ library.
# static-pie: musl's rcrt1.o relocates the program wherever the kernel loads it, with no dynamic loader.
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
foreach(lang IN ITEMS C CXX)
    set(CMAKE_${lang}_LINK_EXECUTABLE "<CMAKE_${lang}_COMPILER> --target=${musl_triple} <FLAGS> \
<CMAKE_${lang}_LINK_FLAGS> <LINK_FLAGS> -static-pie -nostdlib --ld-path=${CMAKE_LINKER} \
-Wno-unused-command-line-argument ${musl_lib}/rcrt1.o ${musl_lib}/crti.o <OBJECTS> -o <TARGET> \
<LINK_LIBRARIES> ${musl_lib}/libc.a ${libgcc} ${musl_lib}/crtn.o")
endforeach()

set(DCDCOUNT_MUSL ON)
set(DCDCOUNT_TOOLCHAIN_LINK static-pie)
