# The project's own hardening flags, on dcdcount_options, as far as each platform allows (DCDCOUNT_HARDENING=OFF drops
# them all, for a distribution that sets its own). What a program keeps of them is not read from here: the hardening
# test holds each build to what its target promises.
if(NOT DCDCOUNT_HARDENING)
    message(STATUS "Hardening: the project's own flags are off (DCDCOUNT_HARDENING=OFF)")
    return()
endif()
set(CMAKE_REQUIRED_QUIET ON)

# Canaries in every function with an array or an address-taken local (on Windows they need libssp at the link), and no
# format that is not a literal.
target_compile_options(dcdcount_options INTERFACE -fstack-protector-strong -Wformat -Werror=format-security)
target_link_options(dcdcount_options INTERFACE -fstack-protector-strong)

if(DCDCOUNT_LIBC STREQUAL "gnu")
    # Relocations done and made read-only before main (musl's static-pie start does not apply them).
    target_link_options(dcdcount_options INTERFACE -Wl,-z,relro,-z,now)
endif()
# With glibc, calls checked against the buffers' sizes in every configuration whose flags optimise (a packager's None
# with its own -O2 as much as Release), where neither the flags nor the compiler already choose a level (a
# distribution's stands), and not under the sanitizers, which check more.
if(DCDCOUNT_LIBC STREQUAL "gnu" AND NOT DCDCOUNT_SANITIZE)
    include(CheckCXXSourceCompiles)
    set(CMAKE_REQUIRED_FLAGS -O2)
    check_cxx_source_compiles("#ifndef _FORTIFY_SOURCE\n#error none\n#endif\nint main() {}"
        DCDCOUNT_COMPILER_FORTIFIES)
    unset(CMAKE_REQUIRED_FLAGS)
    # Each configuration of a multi-config generator, and this build's type (none, where a packager gives only flags),
    # whose flags optimise and choose no level.
    set(fortified "")
    foreach(config IN LISTS CMAKE_CONFIGURATION_TYPES ITEMS "${CMAKE_BUILD_TYPE}")
        string(TOUPPER "${config}" upper)
        set(config_flags " ${CMAKE_CXX_FLAGS} ${CMAKE_CXX_FLAGS_${upper}} ")
        if(config_flags MATCHES " -O([1-3sgz]|fast)? " AND NOT config_flags MATCHES "_FORTIFY_SOURCE")
            string(APPEND fortified ",${config}")
        endif()
    endforeach()
    if(fortified AND NOT DCDCOUNT_COMPILER_FORTIFIES)
        string(SUBSTRING "${fortified}" 1 -1 fortified)
        target_compile_options(dcdcount_options INTERFACE "$<$<CONFIG:${fortified}>:-D_FORTIFY_SOURCE=2>")
    endif()
endif()

if(CMAKE_SYSTEM_NAME STREQUAL "Linux")
    # Return addresses signed and branch targets marked, where the processor has them (64-bit ARM). -Werror: clang
    # takes the flag for any processor, and ignores it.
    include(CheckCXXCompilerFlag)
    set(CMAKE_REQUIRED_FLAGS -Werror)
    check_cxx_compiler_flag(-mbranch-protection=standard DCDCOUNT_BRANCH_PROTECTION)
    unset(CMAKE_REQUIRED_FLAGS)
    if(DCDCOUNT_BRANCH_PROTECTION)
        target_compile_options(dcdcount_options INTERFACE -mbranch-protection=standard)
    endif()
elseif(WIN32)
    # Loaded at a random address, data never run as code; on x64 anywhere in the 64-bit address space.
    target_link_options(dcdcount_options INTERFACE -Wl,--dynamicbase,--nxcompat
        $<$<EQUAL:${CMAKE_SIZEOF_VOID_P},8>:-Wl,--high-entropy-va>)
endif()
