#pragma once

#include <cstdint>
#include <cstdio>
#include <span>

// How the first bytes of a file read as a DCD header. The header's first
// record is framed by record markers holding its length, 84: 4-byte markers
// as most writers wrote them, or 8-byte ones, as some Fortran compilers on
// 64-bit machines did.
enum class DcdHeaderKind {
    LittleEndian,  // bytes 0-3 are 54 00 00 00, or bytes 0-7 are 54 00 00 00 00 00 00 00
                   // and bytes 8-11 the tag: 84 written least-significant byte first
    BigEndian,     // bytes 0-3 are 00 00 00 54, or bytes 0-7 are 00 00 00 00 00 00 00 54
                   // and bytes 8-11 the tag: 84 written most-significant byte first
    NotDcd,        // anything else, including a header cut short
};

struct DcdHeaderVerdict {
    DcdHeaderKind kind;
    // The number of frames the header declares, in the writer's byte order
    // (bytes 8-11, or bytes 12-15 after an 8-byte marker), unvalidated: zero
    // and negative counts are returned as they stand. Always 0 for NotDcd,
    // and no caller should read it then.
    std::int32_t frame_count;
};

// The decision on bytes alone: the same answer on every host. `header` holds
// the bytes of the file from its start that were actually read. A header
// with 8-byte markers is one whose bytes 0-7 are 84 as a 64-bit integer, in
// either byte order, and whose bytes 8-11 are the tag CORD or VELD; its count
// is bytes 12-15. Any other header has 4-byte markers, and its count is bytes
// 8-11. Fewer than sixteen bytes of the first kind, or fewer than twelve of
// the second, is not a DCD header. Nothing past the count is examined.
DcdHeaderVerdict classify_dcd_header(std::span<const unsigned char> header);

// Reads the header of `stream`, a file opened for reading as raw bytes and
// positioned at its start, with no I/O done on it yet. Asks the file for at
// most twelve bytes, or sixteen where bytes 0-11 open an 8-byte marker: it
// turns the stream's buffer off and reads bytes 0-3; then reads bytes 4-11 at
// once where bytes 0-3 could open an 8-byte marker, or otherwise passes over
// bytes 4-7 by seeking (by reading them where the stream cannot seek, as on a
// pipe) and reads bytes 8-11; and reads bytes 12-15 only for an 8-byte
// marker. Leaves the stream open, right after the count.
DcdHeaderVerdict probe_dcd_header(std::FILE* stream);
