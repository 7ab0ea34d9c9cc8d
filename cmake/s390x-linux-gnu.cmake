# Big-endian Linux (IBM Z), built with Debian's g++-s390x-linux-gnu and run
# under qemu-user: the tests' big-endian host.
# apt-get install: g++-s390x-linux-gnu qemu-user
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR s390x)
set(dcdcount_triple s390x-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/cross.cmake)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-s390x)
set(DCDCOUNT_PROMISED static canary fortify)
