# x86-64 Linux programs linked statically against musl: clang with libc++'s
# headers over musl's C library (Debian and Ubuntu: clang, libc++-dev,
# musl-dev). Such a program starts in a fraction of the time a glibc one takes,
# which probes the CPU at every start, and is a few dozen KB.
#
# ONLY THE HEADER-ONLY PARTS OF THE C++ LIBRARY ARE AVAILABLE HERE. No part of
# libc++ or libc++abi is linked, and exceptions and RTTI are off: a program
# that throws, uses iostreams, allocating strings or containers, or anything
# else that needs the compiled C++ library, fails to compile or to link.
# GoogleTest is such a program, so the tests build it with the everyday
# toolchain (see tests/CMakeLists.txt).
#
# Every path is found from the installed clang; no version is written in.
# This toolchain builds the released x86-64 Linux program.
# apt-get install: clang libc++-dev musl-dev

set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)

set(musl_include /usr/include/x86_64-linux-musl)
set(musl_lib /usr/lib/x86_64-linux-musl)

# clang's own headers (stddef.h, intrinsics), and the folders that clang
# searches for libc++'s headers: those it lists as existing.
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-resource-dir
    OUTPUT_VARIABLE resource_dir OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -stdlib=libc++ -E -v -x c++ /dev/null
    OUTPUT_QUIET ERROR_VARIABLE search)
string(REGEX REPLACE ".*search starts here:\n(.*)End of search list.*" "\\1" search "${search}")
string(REGEX MATCHALL "[^\n ]+/c\\+\\+/v1" libcxx_include "${search}")
if(failed OR NOT libcxx_include OR NOT EXISTS ${musl_lib}/libc.a OR NOT EXISTS ${musl_lib}/rcrt1.o)
    message(FATAL_ERROR "The musl toolchain needs clang, libc++'s headers and musl: "
        "apt-get install clang libc++-dev musl-dev")
endif()
list(TRANSFORM libcxx_include PREPEND "-isystem ")
list(JOIN libcxx_include " " libcxx_include)

set(c_include "-isystem ${musl_include} -isystem ${resource_dir}/include")
set(CMAKE_C_FLAGS_INIT "-nostdinc ${c_include}")
set(CMAKE_CXX_FLAGS_INIT
    "-nostdinc -D_LIBCPP_HAS_MUSL_LIBC ${libcxx_include} ${c_include} -fno-exceptions -fno-rtti")

# Programs are linked from musl's start files around their objects and musl's
# C library, and nothing else: no C++ library, no compiler runtime. (The
# compile flags reach the link too, where -nostdinc has nothing to do.) They
# are static-pie, with musl's rcrt1.o, which relocates the program wherever
# the kernel loads it: no fixed address, and still no dynamic loader.
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
foreach(lang IN ITEMS C CXX)
    set(CMAKE_${lang}_LINK_EXECUTABLE "<CMAKE_${lang}_COMPILER> <FLAGS> <CMAKE_${lang}_LINK_FLAGS> \
<LINK_FLAGS> -static-pie -nostdlib -Wno-unused-command-line-argument ${musl_lib}/rcrt1.o \
${musl_lib}/crti.o <OBJECTS> -o <TARGET> <LINK_LIBRARIES> ${musl_lib}/libc.a ${musl_lib}/crtn.o")
endforeach()

# Tells the project that its programs link musl, with no compiled C++ library,
# static-pie by the rule above.
set(DCDCOUNT_MUSL ON)
set(DCDCOUNT_TOOLCHAIN_LINK static-pie)
set(DCDCOUNT_RELEASED ON)
