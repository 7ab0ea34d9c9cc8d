#include "dcd_header.hpp"

#include <array>
#include <cstddef>
#include <cstring>

namespace {

// The value of the record markers around the header's first record: its length.
constexpr std::uint32_t header_record_length = 84;
// With 4-byte record markers: marker, tag, count. With 8-byte ones: marker
// (two words), tag, count.
constexpr std::size_t header_size = 12;
constexpr std::size_t long_header_size = 16;

std::uint32_t load_little_endian(const unsigned char* p)
{
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

std::uint32_t load_big_endian(const unsigned char* p)
{
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
           std::uint32_t{p[3]};
}

// The count at `p` in the byte order of `kind`. Conversion to a signed 32-bit
// value is modular: a count with its top bit set comes back as the negative
// number it encodes.
std::int32_t load_count(DcdHeaderKind kind, const unsigned char* p)
{
    return static_cast<std::int32_t>(kind == DcdHeaderKind::LittleEndian ? load_little_endian(p)
                                                                         : load_big_endian(p));
}

// Whether bytes 0-3 could open an 8-byte marker: 84 as a 64-bit integer
// starts 54 00 00 00 least-significant byte first, and 00 00 00 00 most.
bool may_open_long_marker(const unsigned char* p)
{
    return load_little_endian(p) == header_record_length || load_little_endian(p) == 0;
}

// The byte order of a header with 8-byte markers (bytes 0-7 are 84 as a
// 64-bit integer, and bytes 8-11 the tag, CORD or VELD), or NotDcd where the
// first twelve bytes are not one.
DcdHeaderKind long_header_kind(const unsigned char* p)
{
    if (std::memcmp(p + 8, "CORD", 4) != 0 && std::memcmp(p + 8, "VELD", 4) != 0) {
        return DcdHeaderKind::NotDcd;
    }
    if (load_little_endian(p) == header_record_length && load_little_endian(p + 4) == 0) {
        return DcdHeaderKind::LittleEndian;
    }
    if (load_big_endian(p) == 0 && load_big_endian(p + 4) == header_record_length) {
        return DcdHeaderKind::BigEndian;
    }
    return DcdHeaderKind::NotDcd;
}

bool read_exactly(std::FILE* stream, unsigned char* into, std::size_t size)
{
    return std::fread(into, size, 1, stream) == 1;
}

}  // namespace

DcdHeaderVerdict classify_dcd_header(std::span<const unsigned char> header)
{
    if (header.size() < header_size) {
        return {DcdHeaderKind::NotDcd, 0};
    }
    const unsigned char* p = header.data();
    if (const DcdHeaderKind kind = long_header_kind(p); kind != DcdHeaderKind::NotDcd) {
        if (header.size() < long_header_size) {
            return {DcdHeaderKind::NotDcd, 0};
        }
        return {kind, load_count(kind, p + 12)};
    }
    if (load_little_endian(p) == header_record_length) {
        return {DcdHeaderKind::LittleEndian, load_count(DcdHeaderKind::LittleEndian, p + 8)};
    }
    if (load_big_endian(p) == header_record_length) {
        return {DcdHeaderKind::BigEndian, load_count(DcdHeaderKind::BigEndian, p + 8)};
    }
    return {DcdHeaderKind::NotDcd, 0};
}

DcdHeaderVerdict probe_dcd_header(std::FILE* stream)
{
    // Unbuffered, each read asks the file for exactly the bytes wanted rather
    // than a whole block (which on a parallel file system can be megabytes).
    std::setvbuf(stream, nullptr, _IONBF, 0);

    // Bytes 4-7 stay zero where they are seeked over: only a marker that could
    // be 8 bytes long makes the decision look at them, and then they are read.
    std::array<unsigned char, long_header_size> header{};
    unsigned char* const at = header.data();
    std::size_t delivered = 0;
    if (read_exactly(stream, at, 4)) {
        // A pipe cannot seek: there bytes 4-7 are read instead, or they would
        // be taken for the count.
        const bool through_byte_11 =
            may_open_long_marker(at)
                ? read_exactly(stream, at + 4, 8)
                : (std::fseek(stream, 4, SEEK_CUR) == 0 || read_exactly(stream, at + 4, 4)) &&
                      read_exactly(stream, at + 8, 4);
        if (through_byte_11) {
            delivered = header_size;
            if (long_header_kind(at) != DcdHeaderKind::NotDcd && read_exactly(stream, at + 12, 4)) {
                delivered = long_header_size;
            }
        }
    }
    return classify_dcd_header(std::span{header}.first(delivered));
}
