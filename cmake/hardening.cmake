# The project's own hardening flags, on dcdcount_options, as far as each
# platform allows (DCDCOUNT_HARDENING=OFF drops them all, for a distribution
# that sets its own):
# - stack canaries in every function with an array or an address-taken local
#   on its stack (on Windows they need libssp at the link), and no format
#   string that is not a literal;
# - with glibc, calls checked against the buffers' sizes where the compiler
#   knows them (_FORTIFY_SOURCE=2, when optimising and not under the
#   sanitizers, which check more), added only where neither the flags nor
#   the compiler already choose a level: a distribution's level stands;
# - with glibc, every relocation done and made read-only before main (RELRO,
#   BIND_NOW; musl's static-pie start does not apply it);
# - where the compiler can (64-bit ARM), return addresses signed and branch
#   targets marked;
# - on Windows, loaded at a random address, with data never run as code, and
#   on x64 anywhere in the 64-bit address space.
# What a program keeps of this is not read from here: the hardening test
# holds each build to what its target promises (tests/CMakeLists.txt).
if(NOT DCDCOUNT_HARDENING)
    message(STATUS "Hardening: the project's own flags are off (DCDCOUNT_HARDENING=OFF)")
    return()
endif()

target_compile_options(dcdcount_options INTERFACE
    -fstack-protector-strong -Wformat -Werror=format-security)
target_link_options(dcdcount_options INTERFACE -fstack-protector-strong)

if(DCDCOUNT_LIBC STREQUAL "gnu" AND NOT DCDCOUNT_SANITIZE)
    include(CheckCXXSourceCompiles)
    set(CMAKE_REQUIRED_FLAGS -O2)
    set(CMAKE_REQUIRED_QUIET ON)
    check_cxx_source_compiles("#ifndef _FORTIFY_SOURCE\n#error none\n#endif\nint main() {}"
        DCDCOUNT_COMPILER_FORTIFIES)
    unset(CMAKE_REQUIRED_FLAGS)
    set(fortified "")
    if(NOT DCDCOUNT_COMPILER_FORTIFIES AND NOT CMAKE_CXX_FLAGS MATCHES "_FORTIFY_SOURCE")
        foreach(config IN ITEMS Release RelWithDebInfo MinSizeRel)
            string(TOUPPER ${config} upper)
            if(NOT CMAKE_CXX_FLAGS_${upper} MATCHES "_FORTIFY_SOURCE")
                list(APPEND fortified ${config})
            endif()
        endforeach()
    endif()
    if(fortified)
        string(JOIN "," fortified ${fortified})
        target_compile_options(dcdcount_options INTERFACE
            "$<$<CONFIG:${fortified}>:-D_FORTIFY_SOURCE=2>")
    endif()
endif()

if(DCDCOUNT_LIBC STREQUAL "gnu")
    target_link_options(dcdcount_options INTERFACE -Wl,-z,relro,-z,now)
endif()
if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    include(CheckCXXCompilerFlag)
    set(CMAKE_REQUIRED_QUIET ON)
    # (-Werror: clang takes the flag for any processor, and ignores it.)
    set(CMAKE_REQUIRED_FLAGS -Werror)
    check_cxx_compiler_flag(-mbranch-protection=standard DCDCOUNT_BRANCH_PROTECTION)
    unset(CMAKE_REQUIRED_FLAGS)
    if(DCDCOUNT_BRANCH_PROTECTION)
        target_compile_options(dcdcount_options INTERFACE -mbranch-protection=standard)
    endif()
endif()
if(WIN32)
    target_link_options(dcdcount_options INTERFACE -Wl,--dynamicbase,--nxcompat
        $<$<EQUAL:${CMAKE_SIZEOF_VOID_P},8>:-Wl,--high-entropy-va>)
endif()
