// The probe's table of cases, each run on its bytes, on a regular file and on a pipe holding them. A plain
// program with no test library, so that every build's own compiler and C library build and run it (the musl
// builds link no C++ library at all). Prints each case that fails, and exits 1 where one fails or none ran.
#include "dcd_header.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdio>

#ifdef _WIN32
#include "host_windows.hpp"

#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// Up to 20 bytes, with no allocation: no C++ library is linked where musl is.
struct Bytes {
    unsigned char data[20] = {};
    std::size_t size = 0;
    template <typename... Byte>
    constexpr Bytes(Byte... bytes) : data{static_cast<unsigned char>(bytes)...}, size{sizeof...(bytes)}
    {
    }
};

struct ProbeCase {
    const char* what;
    Bytes bytes;
    DcdHeaderKind kind;
    std::int32_t frame_count;  // read only for the two DCD kinds
    std::size_t consumed = 12;  // where the probe leaves the stream: after the count
};

constexpr auto LE = DcdHeaderKind::LittleEndian;
constexpr auto BE = DcdHeaderKind::BigEndian;
constexpr auto NotDcd = DcdHeaderKind::NotDcd;

const ProbeCase probe_cases[] = {
    {"little-endian 300", {0x54, 0, 0, 0, 'C', 'O', 'R', 'D', 0x2C, 0x01, 0, 0}, LE, 300},
    {"big-endian 300", {0, 0, 0, 0x54, 'C', 'O', 'R', 'D', 0, 0, 0x01, 0x2C}, BE, 300},
    {"tag zeroed", {0x54, 0, 0, 0, 0, 0, 0, 0, 0x2C, 0x01, 0, 0}, LE, 300},
    {"tag is a marker", {0, 0, 0, 0x54, 0x54, 0, 0, 0, 0, 0, 0x01, 0x2C}, BE, 300},
    {"count 0", {0x54, 0, 0, 0, 'x', 'y', 'z', 'w', 0, 0, 0, 0}, LE, 0},
    {"count 1", {0, 0, 0, 0x54, 'C', 'O', 'R', 'D', 0, 0, 0, 1}, BE, 1},
    {"-1 little-endian", {0x54, 0, 0, 0, 'C', 'O', 'R', 'D', 0xFF, 0xFF, 0xFF, 0xFF}, LE, -1},
    {"-1 big-endian", {0, 0, 0, 0x54, 'C', 'O', 'R', 'D', 0xFF, 0xFF, 0xFF, 0xFF}, BE, -1},
    {"most negative LE", {0x54, 0, 0, 0, 'C', 'O', 'R', 'D', 0, 0, 0, 0x80}, LE, INT32_MIN},
    {"most negative BE", {0, 0, 0, 0x54, 'C', 'O', 'R', 'D', 0x80, 0, 0, 0}, BE, INT32_MIN},
    {"largest LE", {0x54, 0, 0, 0, 'C', 'O', 'R', 'D', 0xFF, 0xFF, 0xFF, 0x7F}, LE, INT32_MAX},
    {"largest BE", {0, 0, 0, 0x54, 'C', 'O', 'R', 'D', 0x7F, 0xFF, 0xFF, 0xFF}, BE, INT32_MAX},
    {"damaged after byte 11", {0x54, 0, 0, 0, 'C', 'O', 'R', 'D', 3, 0, 0, 0, 0xDE, 0xAD}, LE, 3},
    {"0x54 in byte 1", {0, 0x54, 0, 0, 'C', 'O', 'R', 'D', 0x2C, 0x01, 0, 0}, NotDcd, 0},
    {"0x54 in byte 2", {0, 0, 0x54, 0, 'C', 'O', 'R', 'D', 0, 0, 0x01, 0x2C}, NotDcd, 0},
    {"84 in 16 bits", {0x54, 0, 0x54, 0, 'C', 'O', 'R', 'D', 0x2C, 0x01, 0, 0}, NotDcd, 0},
    {"text", {'h', 'e', 'l', 'l', 'o', ',', ' ', 'w', 'o', 'r', 'l', 'd', '\n'}, NotDcd, 0},
    {"empty", {}, NotDcd, 0},
    {"marker only", {0x54, 0, 0, 0}, NotDcd, 0},
    {"no count", {0, 0, 0, 0x54, 'C', 'O', 'R', 'D'}, NotDcd, 0},
    {"count cut short", {0x54, 0, 0, 0, 'C', 'O', 'R', 'D', 0x2C, 0x01, 0}, NotDcd, 0},
    // 8-byte record markers: bytes 0-7 are 84 as a 64-bit integer, then the tag, then the count.
    {"8-byte LE CORD", {0x54, 0, 0, 0, 0, 0, 0, 0, 'C', 'O', 'R', 'D', 0x2C, 0x01, 0, 0, 0xAB}, LE, 300, 16},
    {"8-byte BE CORD", {0, 0, 0, 0, 0, 0, 0, 0x54, 'C', 'O', 'R', 'D', 0, 0, 0x01, 0x2C, 0xAB}, BE, 300, 16},
    {"8-byte LE VELD", {0x54, 0, 0, 0, 0, 0, 0, 0, 'V', 'E', 'L', 'D', 0xFF, 0xFF, 0xFF, 0xFF}, LE, -1, 16},
    {"8-byte BE VELD", {0, 0, 0, 0, 0, 0, 0, 0x54, 'V', 'E', 'L', 'D', 0x80, 0, 0, 0}, BE, INT32_MIN, 16},
    {"8-byte count cut short", {0x54, 0, 0, 0, 0, 0, 0, 0, 'C', 'O', 'R', 'D', 0x2C, 0x01, 0}, NotDcd, 0, 16},
    {"8-byte, no count", {0, 0, 0, 0, 0, 0, 0, 0x54, 'V', 'E', 'L', 'D'}, NotDcd, 0},
    {"8-byte BE, no tag", {0, 0, 0, 0, 0, 0, 0, 0x54, 'A', 'B', 'C', 'D', 0, 0, 0x01, 0x2C}, NotDcd, 0},
    // 4-byte markers, whatever bytes 4-7 hold, unless a tag follows 8 marker bytes.
    {"tag then CORD", {0x54, 0, 0, 0, 'C', 'O', 'R', 'D', 'C', 'O', 'R', 'D', 0xAB}, LE, 1146244931},
    {"zeros then no tag", {0x54, 0, 0, 0, 0, 0, 0, 0, 'A', 'B', 'C', 'D', 0xAB}, LE, 1145258561},
    {"tag zeroed, BE", {0, 0, 0, 0x54, 0, 0, 0, 0, 'C', 'O', 'R', 'D', 0xAB}, BE, 1129271876},
    {"marker 84 twice", {0x54, 0, 0, 0, 0x54, 0, 0, 0, 'C', 'O', 'R', 'D'}, LE, 1146244931},
};

int failures = 0;
int checks = 0;

void expect(bool holds, const char* what, const char* how, const char* wrong)
{
    ++checks;
    if (!holds) {
        ++failures;
        std::printf("FAIL: %s, %s: %s\n", what, how, wrong);
    }
}

void expect_verdict(const ProbeCase& c, const DcdHeaderVerdict& verdict, const char* how)
{
    expect(verdict.kind == c.kind, c.what, how, "the wrong kind");
    expect(c.kind == NotDcd || verdict.frame_count == c.frame_count, c.what, how, "the wrong count");
}

// Probes `stream`, which delivers the case's bytes, checks the verdict and that the stream is left right after
// the count, and closes it.
void expect_probe(const ProbeCase& c, std::FILE* stream, const char* how)
{
    expect(stream != nullptr, c.what, how, "cannot be opened");
    if (stream != nullptr) {
        expect_verdict(c, probe_dcd_header(stream), how);
        const int next = c.bytes.size > c.consumed ? c.bytes.data[c.consumed] : EOF;
        expect(std::fgetc(stream) == next, c.what, how, "the stream is not left right after the count");
        std::fclose(stream);
    }
}

std::FILE* pipe_delivering(const Bytes& bytes)
{
    int ends[2];
#ifdef _WIN32
    const bool sent = _pipe(ends, 4096, _O_BINARY) == 0 &&
                      _write(ends[1], bytes.data, static_cast<unsigned>(bytes.size)) == static_cast<int>(bytes.size);
    _close(ends[1]);
    return sent ? _fdopen(ends[0], "rb") : nullptr;
#else
    const bool sent = pipe(ends) == 0 && write(ends[1], bytes.data, bytes.size) == static_cast<ssize_t>(bytes.size);
    close(ends[1]);
    return sent ? fdopen(ends[0], "rb") : nullptr;
#endif
}

}  // namespace

// The bytes decide the verdict, and a regular file and a pipe give the same: a stream that cannot seek (a pipe, a
// FIFO, /dev/fd/N from a decompressor) must not have bytes 4-7 taken for the count.
int main()
{
    const char* path = "probe_test_case.bin";
    for (const ProbeCase& c : probe_cases) {
        expect_verdict(c, classify_dcd_header({c.bytes.data, c.bytes.size}), "the bytes");
        std::FILE* out = std::fopen(path, "wb");
        expect(out != nullptr && std::fwrite(c.bytes.data, 1, c.bytes.size, out) == c.bytes.size &&
                   std::fclose(out) == 0,
               c.what, "a regular file", "cannot be written");
        expect_probe(c, std::fopen(path, "rb"), "a regular file");
        expect_probe(c, pipe_delivering(c.bytes), "a pipe");
    }
    std::remove(path);
#ifdef _WIN32
    // A name for a file or a pipe is never written with a look-alike, except in the code pages where Windows
    // refuses to be told so.
    const struct {
        UINT code_page;
        DWORD flags;
        const char* what;
    } code_pages[] = {
        {65001, 0, "UTF-8"},
        {54936, 0, "GB18030"},
        {1252, WC_NO_BEST_FIT_CHARS, "Western European"},
        {932, WC_NO_BEST_FIT_CHARS, "Japanese (Shift JIS)"},
        {1251, WC_NO_BEST_FIT_CHARS, "Cyrillic"},
        {936, WC_NO_BEST_FIT_CHARS, "Simplified Chinese (GBK)"},
        {437, WC_NO_BEST_FIT_CHARS, "OEM United States"},
    };
    for (const auto& row : code_pages) {
        expect(host::narrow_name_flags(row.code_page) == row.flags, row.what, "a name's flags", "the wrong flags");
    }
#endif
    const int cases = sizeof probe_cases / sizeof *probe_cases;
    std::printf("%d checks of %d cases, %d failed\n", checks, cases, failures);
    return failures == 0 && checks > 0 ? 0 : 1;
}
