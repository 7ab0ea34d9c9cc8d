# 64-bit ARM Linux, built with Debian's g++-aarch64-linux-gnu and run under
# qemu-user; released.
# apt-get install: g++-aarch64-linux-gnu qemu-user
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(dcdcount_triple aarch64-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64)
set(DCDCOUNT_RELEASED ON)
