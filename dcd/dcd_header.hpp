#pragma once

#include <cstdint>
#include <cstdio>
#include <span>

// How the first twelve bytes of a file read as a DCD header.
enum class DcdHeaderKind {
    LittleEndian,  // bytes 0-3 are 54 00 00 00: 84 written least-significant byte first
    BigEndian,     // bytes 0-3 are 00 00 00 54: 84 written most-significant byte first
    NotDcd,        // anything else, including a header cut short
};

struct DcdHeaderVerdict {
    DcdHeaderKind kind;
    // The number of frames the header declares (bytes 8-11 in the writer's
    // byte order), unvalidated: zero and negative counts are returned as they
    // stand. Always 0 for NotDcd, and no caller should read it then.
    std::int32_t frame_count;
};

// The decision on bytes alone: the same answer on every host. `header` holds
// the bytes of the file from its start that were actually read; fewer than
// twelve is not a DCD header. Bytes 4-7 and anything past byte 11 are never
// examined.
DcdHeaderVerdict classify_dcd_header(std::span<const unsigned char> header);

// Reads the header of `stream`, a file opened for reading as raw bytes and
// positioned at its start, with no I/O done on it yet. Asks the file for at
// most twelve bytes: it turns the stream's buffer off, reads bytes 0-3,
// passes over bytes 4-7 by seeking (or by reading them where the stream
// cannot seek, as on a pipe), and reads bytes 8-11. Leaves the stream open.
DcdHeaderVerdict probe_dcd_header(std::FILE* stream);
