# What every cross toolchain here shares, included by each toolchain file once it has set CMAKE_SYSTEM_NAME,
# CMAKE_SYSTEM_PROCESSOR and dcdcount_triple (and, where it needs one, dcdcount_compiler_suffix): Debian's cross
# compilers for the triple and its sysroot. Its programs link statically, as the link policy (linking.cmake) finds
# they can, so that none needs the target's libraries at run time (a clean Windows has no libstdc++ or libgcc DLLs;
# the build host has no C++ runtime of another processor).
set(CMAKE_C_COMPILER ${dcdcount_triple}-gcc${dcdcount_compiler_suffix})
set(CMAKE_CXX_COMPILER ${dcdcount_triple}-g++${dcdcount_compiler_suffix})

set(CMAKE_FIND_ROOT_PATH /usr/${dcdcount_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# A Linux program linked statically with glibc: its start-up alone runs more instructions, in a larger program, than
# the benchmark's goals allow (they hold the musl programs); it prints them for reference.
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    set(DCDCOUNT_STARTUP_UNMET "static glibc starts up with more instructions, in a larger program, than the goals allow")
endif()
