# x86-64 Linux, static-pie with musl (musl.cmake); released.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(dcdcount_triple x86_64-linux-gnu)
include(${CMAKE_CURRENT_LIST_DIR}/musl.cmake)
set(DCDCOUNT_RELEASED ON)
set(DCDCOUNT_PROMISED static-pie canary)
