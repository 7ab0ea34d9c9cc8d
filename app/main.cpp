// dcdcount FILE: prints how many frames the DCD header of FILE declares.
//
// The only place that prints. Every message goes to standard output; nothing
// is ever written to standard error, and failures to write never change the
// exit status.

#include "dcd_header.hpp"

#include <cinttypes>
#include <csignal>
#include <cstdio>

#include <sys/stat.h>
#include <sys/types.h>

namespace {

bool is_directory(std::FILE* file)
{
#ifdef _WIN32
    struct _stat64 status;
    return _fstat64(_fileno(file), &status) == 0 && (status.st_mode & _S_IFMT) == _S_IFDIR;
#else
    struct stat status;
    return fstat(fileno(file), &status) == 0 && S_ISDIR(status.st_mode);
#endif
}

// Opens `name` for reading as raw bytes. A directory is not a file, also on
// hosts that let one be opened for reading; it is checked on the stream that
// was opened, not by looking the name up again.
std::FILE* open_file(const char* name)
{
    std::FILE* file = std::fopen(name, "rb");
    if (file != nullptr && is_directory(file)) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

}  // namespace

int main(int argc, char* argv[])
{
#ifdef SIGPIPE
    // A reader that has gone away must not kill the run: the write just fails.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    // No argument at all is the empty name. Further arguments are ignored, and
    // nothing is an option: "-" and "-h" are file names.
    const char* const name = argc > 1 ? argv[1] : "";

    std::FILE* const file = open_file(name);
    if (file == nullptr) {
        std::printf("%s is not a valid file name.\n", name);
        return 0;
    }
    const DcdHeaderVerdict verdict = probe_dcd_header(file);
    if (verdict.kind == DcdHeaderKind::NotDcd) {
        std::printf("%s is not a valid DCD file\n", name);
    } else {
        std::printf("%s contains %" PRId32 " frames.\n", name, verdict.frame_count);
    }
    return std::fclose(file);
}
