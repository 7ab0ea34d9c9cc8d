// dcdcount FILE: prints how many frames the DCD header of FILE declares.
//
// What a run does, the same on every host; the host's entry point (in
// host_posix.cpp or host_windows.cpp) hands it the first argument. Every
// message goes to standard output through host::print_line; nothing is ever
// written to standard error, and failures to write never change the exit
// status.

#include "dcd_header.hpp"
#include "host.hpp"

#include <cinttypes>
#include <cstdio>

int count_frames(const host::Name& name)
{
    std::FILE* const file = host::open_file(name);
    if (file == nullptr) {
        host::print_line(name, " is not a valid file name.");
        return 0;
    }
    const DcdHeaderVerdict verdict = probe_dcd_header(file);
    if (verdict.kind == DcdHeaderKind::NotDcd) {
        host::print_line(name, " is not a valid DCD file");
    } else {
        char rest[sizeof " contains -2147483648 frames."];
        std::snprintf(rest, sizeof rest, " contains %" PRId32 " frames.", verdict.frame_count);
        host::print_line(name, rest);
    }
    return std::fclose(file);
}
