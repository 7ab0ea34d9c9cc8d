#pragma once

// The host's edge: how the file name arrives, how a file is opened by that
// name, and how a line reaches standard output. Each host implements it in a
// file of its own, which app/CMakeLists.txt chooses for the host the program
// is built for. That file also holds the host's entry point, which takes the
// first argument as the name and returns what count_frames returns: main in
// host_posix.cpp, wmain in host_windows.cpp. count_frames, the run itself, is
// in count_frames.cpp.

#include <cstdio>

namespace host {

// A file name as the host holds it: bytes on POSIX hosts, UTF-16 text on
// Windows. Only the host's own file looks inside.
struct Name;

// Opens the named file for reading as raw bytes, or returns nullptr. A
// directory is not a file, also where the host would open one for reading.
std::FILE* open_file(const Name& name);

// Writes the name, then `rest`, then the host's line ending to standard
// output. A failure to write is not reported.
void print_line(const Name& name, const char* rest);

}  // namespace host

// The whole run, the same on every host: opens the named file, prints the one
// line that says what it holds, and returns the exit status.
int count_frames(const host::Name& name);
