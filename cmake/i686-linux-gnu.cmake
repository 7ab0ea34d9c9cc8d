# 32-bit x86 Linux, built with Debian's g++-i686-linux-gnu. Most x86-64
# kernels run these programs; where one does not, the tests run them under
# qemu-i386.
# apt-get install: g++-i686-linux-gnu qemu-user
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(dcdcount_triple i686-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
set(DCDCOUNT_EMULATOR_ELSE qemu-i386)
set(DCDCOUNT_PROMISED static-pie relro canary fortify offsets64)
