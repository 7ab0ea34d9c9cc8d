# 64-bit little-endian POWER Linux (POWER9 and POWER10 nodes), static-pie with
# musl (musl.cmake), run under qemu-user; released.
# apt-get install: g++-powerpc64le-linux-gnu qemu-user
set(CMAKE_SYSTEM_PROCESSOR ppc64le)
set(dcdcount_triple powerpc64le-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/musl.cmake)
set(DCDCOUNT_RELEASED ON)
set(DCDCOUNT_PROMISED static-pie canary)
