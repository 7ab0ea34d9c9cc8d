#include "dcd_header.hpp"

#include <array>
#include <cstddef>

namespace {

// The value of the length marker that opens the header's first record.
constexpr std::uint32_t header_record_length = 84;
constexpr std::size_t header_size = 12;

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
    const unsigned char* marker = header.data();
    const unsigned char* count = header.data() + 8;
    // Conversion to a signed 32-bit value is modular: a count with its top bit
    // set comes back as the negative number it encodes.
    if (load_little_endian(marker) == header_record_length) {
        return {DcdHeaderKind::LittleEndian, static_cast<std::int32_t>(load_little_endian(count))};
    }
    if (load_big_endian(marker) == header_record_length) {
        return {DcdHeaderKind::BigEndian, static_cast<std::int32_t>(load_big_endian(count))};
    }
    return {DcdHeaderKind::NotDcd, 0};
}

DcdHeaderVerdict probe_dcd_header(std::FILE* stream)
{
    // Unbuffered, each read asks the file for exactly the bytes wanted rather
    // than a whole block (which on a parallel file system can be megabytes).
    std::setvbuf(stream, nullptr, _IONBF, 0);

    // Bytes 4-7 stay zero when they are seeked over; they are never examined.
    std::array<unsigned char, header_size> header{};
    std::size_t delivered = 0;
    if (read_exactly(stream, header.data(), 4)) {
        delivered = 4;
        // A pipe cannot seek: there the bytes are read instead, or bytes 4-7
        // would be taken for the count.
        if (std::fseek(stream, 4, SEEK_CUR) == 0 || read_exactly(stream, header.data() + 4, 4)) {
            delivered = 8;
            if (read_exactly(stream, header.data() + 8, 4)) {
                delivered = 12;
            }
        }
    }
    return classify_dcd_header(std::span{header}.first(delivered));
}
