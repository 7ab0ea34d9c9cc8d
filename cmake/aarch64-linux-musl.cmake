# 64-bit ARM Linux (Grace, Graviton, A64FX nodes), static-pie with musl
# (musl.cmake), run under qemu-user; released.
# apt-get install: g++-aarch64-linux-gnu qemu-user
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(dcdcount_triple aarch64-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/musl.cmake)
set(DCDCOUNT_RELEASED ON)
set(DCDCOUNT_PROMISED static-pie canary pac)
