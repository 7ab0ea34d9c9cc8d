# 64-bit little-endian POWER Linux (POWER9 and POWER10 nodes), built with
# Debian's g++-powerpc64le-linux-gnu and run under qemu-user; released.
# apt-get install: g++-powerpc64le-linux-gnu qemu-user
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ppc64le)
set(dcdcount_triple powerpc64le-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-ppc64le)
set(DCDCOUNT_RELEASED ON)
