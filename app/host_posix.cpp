// The POSIX host: the name arrives as bytes, opens as those bytes and is
// printed as those bytes.

#include "host.hpp"

#include <csignal>
#include <cstdio>

#include <sys/stat.h>

struct host::Name {
    const char* bytes;
};

int main(int argc, char* argv[])
{
    // A reader that has gone away must not kill the run: the write just fails.
    std::signal(SIGPIPE, SIG_IGN);
    // No argument at all is the empty name. Further arguments are ignored, and
    // nothing is an option: "-" and "-h" are file names.
    return count_frames(host::Name{argc > 1 ? argv[1] : ""});
}

std::FILE* host::open_file(const Name& name)
{
    std::FILE* const file = std::fopen(name.bytes, "rb");
    // Checked on the stream that was opened, not by looking the name up again.
    struct stat status;
    if (file != nullptr && fstat(fileno(file), &status) == 0 && S_ISDIR(status.st_mode)) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

void host::print_line(const Name& name, const char* rest)
{
    std::printf("%s%s\n", name.bytes, rest);
}
