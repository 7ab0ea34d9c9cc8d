// The Windows host. The name arrives as UTF-16, the way Windows holds it, so
// that every name a user can type opens: the narrow arguments would turn each
// character outside the ANSI code page into '?'. A console shows the line as
// typed; a file or a pipe gets the bytes it always got.

#include "host.hpp"
#include "host_windows.hpp"

#include <algorithm>
#include <cstdio>
#include <cwchar>

#include <sys/stat.h>
#include <windows.h>

struct host::Name {
    const wchar_t* text;
};

// Linked with -municode, so that the C runtime passes the arguments as UTF-16.
int wmain(int argc, wchar_t* argv[])
{
    // No argument at all is the empty name. Further arguments are ignored, and
    // nothing is an option: "-" and "-h" are file names.
    return count_frames(host::Name{argc > 1 ? argv[1] : L""});
}

std::FILE* host::open_file(const Name& name)
{
    std::FILE* const file = _wfopen(name.text, L"rb");
    // Checked on the stream that was opened, not by looking the name up again.
    struct _stat64 status;
    if (file != nullptr && _fstat64(_fileno(file), &status) == 0 &&
        (status.st_mode & _S_IFMT) == _S_IFDIR) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

namespace {

// A command line holds at most 32767 UTF-16 units, so no name holds more; the
// rest of a line is a few ASCII characters; and no ANSI code page (UTF-8
// included) takes more than 3 bytes for a UTF-16 unit.
constexpr std::size_t longest_name = 32767;
constexpr std::size_t longest_rest = 64;
wchar_t console_line[longest_name + longest_rest + 2];
char ansi_name[3 * longest_name + 1];

// The whole line in one call to the console API, which shows UTF-16 as it is,
// whatever the console's code page.
void write_console(HANDLE console, const wchar_t* name, const char* rest)
{
    const std::size_t name_length = std::min(std::wcslen(name), longest_name);
    std::wmemcpy(console_line, name, name_length);
    std::size_t length = name_length;
    while (*rest != '\0' && length < name_length + longest_rest) {
        console_line[length++] = static_cast<unsigned char>(*rest++);
    }
    console_line[length++] = L'\r';
    console_line[length++] = L'\n';
    DWORD written;
    WriteConsoleW(console, console_line, static_cast<DWORD>(length), &written, nullptr);
}

}  // namespace

void host::print_line(const Name& name, const char* rest)
{
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode;
    if (GetConsoleMode(out, &mode)) {
        write_console(out, name.text, rest);
        return;
    }
    // A file or a pipe gets the bytes that scripts have always read: the name
    // in the ANSI code page, where each character it lacks becomes '?', and
    // the text stream's line ending.
    const UINT code_page = GetACP();
    if (WideCharToMultiByte(code_page, narrow_name_flags(code_page), name.text, -1, ansi_name,
                            sizeof ansi_name, nullptr, nullptr) > 0) {
        std::printf("%s%s\n", ansi_name, rest);
    }
}
