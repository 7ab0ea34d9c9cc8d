# 32-bit x86 Linux, built with Debian's g++-i686-linux-gnu. An x86-64 kernel
# runs these programs directly, so no emulator is needed.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(dcdcount_triple i686-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
