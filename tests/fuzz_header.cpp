// libFuzzer target: the header decision and the stream layer around it, fed byte strings of every length. Each
// verdict is checked against the rule as stated below, written apart from the probe's own code.
#include "dcd_header.hpp"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

// The rule, and how many bytes of the file the header takes. Its first record is framed by its length, 84, in
// markers of 8 or 4 bytes. 8 bytes: bytes 0-7 are 54 00 00 00 00 00 00 00 (little-endian) or 00 00 00 00 00 00 00
// 54 (big-endian), bytes 8-11 are CORD or VELD, and the count is bytes 12-15; fewer than sixteen bytes is not DCD.
// Otherwise 4 bytes: 54 00 00 00 opens a little-endian header, 00 00 00 54 a big-endian one, and the count is
// bytes 8-11; fewer than twelve bytes, or any other start, is not DCD. The count is a two's complement 32-bit
// number in the header's byte order.
struct Expected {
    DcdHeaderVerdict verdict;
    std::size_t length;
};

Expected expected_verdict(const std::uint8_t* data, std::size_t size)
{
    static constexpr std::uint8_t little[8] = {0x54, 0, 0, 0, 0, 0, 0, 0};
    static constexpr std::uint8_t big[8] = {0, 0, 0, 0, 0, 0, 0, 0x54};
    if (size < 12) {
        return {{DcdHeaderKind::NotDcd, 0}, 12};
    }
    const bool tag = std::memcmp(data + 8, "CORD", 4) == 0 || std::memcmp(data + 8, "VELD", 4) == 0;
    const bool long_little = tag && std::memcmp(data, little, 8) == 0;
    const bool long_big = tag && std::memcmp(data, big, 8) == 0;
    const std::size_t length = long_little || long_big ? 16 : 12;
    const bool is_little = long_little || (!long_big && std::memcmp(data, little, 4) == 0);
    const bool is_big = long_big || (!long_little && std::memcmp(data, big + 4, 4) == 0);
    if (size < length || (!is_little && !is_big)) {
        return {{DcdHeaderKind::NotDcd, 0}, length};
    }
    const std::uint8_t* count_bytes = data + length - 4;
    std::int64_t count = 0;
    for (int i = 0; i < 4; ++i) {
        count = count * 256 + count_bytes[is_little ? 3 - i : i];
    }
    if (count >= (std::int64_t{1} << 31)) {
        count -= std::int64_t{1} << 32;
    }
    return {{is_little ? DcdHeaderKind::LittleEndian : DcdHeaderKind::BigEndian, static_cast<std::int32_t>(count)},
            length};
}

void require(bool holds)
{
    if (!holds) {
        std::abort();
    }
}

void check(const DcdHeaderVerdict& got, const DcdHeaderVerdict& want)
{
    require(got.kind == want.kind);
    require(want.kind == DcdHeaderKind::NotDcd || got.frame_count == want.frame_count);
}

// Probes `stream` and checks the verdict, and that the stream is left right after the header.
void check_probe(std::FILE* stream, const std::uint8_t* data, std::size_t size, const Expected& want)
{
    require(stream != nullptr);
    check(probe_dcd_header(stream), want.verdict);
    require(std::fgetc(stream) == (size > want.length ? data[want.length] : EOF));
    std::fclose(stream);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const Expected want = expected_verdict(data, size);
    check(classify_dcd_header({data, size}), want.verdict);

    // A regular file, which seeks over bytes 4-7.
    std::FILE* file = std::tmpfile();
    require(file != nullptr && std::fwrite(data, 1, size, file) == size);
    std::rewind(file);
    std::FILE* reopened = fdopen(dup(fileno(file)), "rb");
    std::fclose(file);
    check_probe(reopened, data, size, want);

    // A pipe, which cannot seek; what fits in its buffer without blocking.
    int ends[2];
    require(pipe(ends) == 0);
    const std::size_t sent = size < 4096 ? size : 4096;
    require(write(ends[1], data, sent) == static_cast<ssize_t>(sent));
    close(ends[1]);
    check_probe(fdopen(ends[0], "rb"), data, sent, want);
    return 0;
}
