// libFuzzer target: the header decision and the stream layer around it, fed
// byte strings of every length. Each verdict is checked against the rule as
// stated below, written apart from the probe's own code.
#include "dcd_header.hpp"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <unistd.h>

namespace {

// A header is the file's first twelve bytes. 54 00 00 00 opens a
// little-endian one, 00 00 00 54 a big-endian one; the count is bytes 8-11 in
// that byte order, a two's complement 32-bit number. Anything else, or fewer
// than twelve bytes, is not DCD.
DcdHeaderVerdict expected_verdict(const std::uint8_t* data, std::size_t size)
{
    static constexpr std::uint8_t little[4] = {0x54, 0, 0, 0};
    static constexpr std::uint8_t big[4] = {0, 0, 0, 0x54};
    if (size < 12) {
        return {DcdHeaderKind::NotDcd, 0};
    }
    const bool is_little = std::memcmp(data, little, 4) == 0;
    if (!is_little && std::memcmp(data, big, 4) != 0) {
        return {DcdHeaderKind::NotDcd, 0};
    }
    std::int64_t count = 0;
    for (int i = 0; i < 4; ++i) {
        count = count * 256 + data[is_little ? 11 - i : 8 + i];
    }
    if (count >= (std::int64_t{1} << 31)) {
        count -= std::int64_t{1} << 32;
    }
    return {is_little ? DcdHeaderKind::LittleEndian : DcdHeaderKind::BigEndian,
            static_cast<std::int32_t>(count)};
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

// Probes `stream` and checks the verdict, and that the stream is left right
// after byte 11.
void check_probe(std::FILE* stream, const std::uint8_t* data, std::size_t size,
                 const DcdHeaderVerdict& want)
{
    require(stream != nullptr);
    check(probe_dcd_header(stream), want);
    require(std::fgetc(stream) == (size > 12 ? data[12] : EOF));
    std::fclose(stream);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const DcdHeaderVerdict want = expected_verdict(data, size);
    check(classify_dcd_header({data, size}), want);

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
