#pragma once

// What the Windows host decides without asking Windows, apart from
// host_windows.cpp so that the tests can check it on its own.

#include <windows.h>

namespace host {

// The flags for writing a name in the ANSI code page `code_page`, for a file
// or a pipe. Never a look-alike: Windows' best fit would print a fullwidth
// digit as the digit, naming another file, and a fullwidth quote as a quote.
// A code page that holds every character (UTF-8, GB18030) has nothing to fit,
// and there Windows refuses the flag (ERROR_INVALID_FLAGS) and converts
// nothing.
constexpr DWORD narrow_name_flags(UINT code_page)
{
    return code_page == CP_UTF8 || code_page == 54936 ? 0 : WC_NO_BEST_FIT_CHARS;
}

}  // namespace host
