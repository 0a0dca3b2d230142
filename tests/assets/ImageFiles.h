// Small DDS and TGA files written byte by byte, for the reader tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace testfiles {

inline void putLe32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A DDS header followed by dataBytes bytes counting up from 0.
inline std::vector<uint8_t> dds(uint32_t width, uint32_t height, uint32_t linearSize,
                                uint32_t mipMapCount, const char* fourCc, size_t dataBytes) {
    std::vector<uint8_t> bytes(128 + dataBytes, 0);
    memcpy(bytes.data(), "DDS ", 4);
    putLe32(bytes, 4, 124);
    putLe32(bytes, 8, 0x000A1007);  // caps, height, width, pixel format, mip-map count, linear size
    putLe32(bytes, 12, height);
    putLe32(bytes, 16, width);
    putLe32(bytes, 20, linearSize);
    putLe32(bytes, 28, mipMapCount);
    putLe32(bytes, 76, 32);
    putLe32(bytes, 80, 4);  // FourCC present
    memcpy(bytes.data() + 84, fourCc, 4);
    for (size_t i = 0; i < dataBytes; ++i) bytes[128 + i] = static_cast<uint8_t>(i);
    return bytes;
}

struct Rgb {
    uint8_t r, g, b;
};

enum class TgaKind { Plain = 2, Rle = 10 };

// The 18-byte TGA header; a colour map, when given a length, starts at entry 0.
inline std::string tgaHeader(int type, int width, int height, int bits, int descriptor,
                             int mapLength = 0, int mapBits = 0) {
    std::string h(18, '\0');
    auto put16 = [&](int at, int value) {
        h[at] = static_cast<char>(value & 0xFF);
        h[at + 1] = static_cast<char>(value >> 8);
    };
    h[1] = mapLength > 0;
    h[2] = static_cast<char>(type);
    put16(5, mapLength);
    h[7] = static_cast<char>(mapBits);
    put16(12, width);
    put16(14, height);
    h[16] = static_cast<char>(bits);
    h[17] = static_cast<char>(descriptor);
    return h;
}

// A 24-bit true-colour TGA; pixels are given top row first, as in the picture, and stored in
// the file in the order its origin flag says. RLE files hold raw packets of one pixel each.
inline std::string tga(int width, int height, const std::vector<Rgb>& topFirst,
                       TgaKind kind = TgaKind::Plain, bool topOrigin = false) {
    std::string bytes = tgaHeader(static_cast<int>(kind), width, height, 24, topOrigin ? 0x20 : 0);
    for (int i = 0; i < height; ++i) {
        const int row = topOrigin ? i : height - 1 - i;
        for (int c = 0; c < width; ++c) {
            const Rgb& p = topFirst[static_cast<size_t>(row) * width + c];
            if (kind == TgaKind::Rle) bytes += '\0';
            bytes += {char(p.b), char(p.g), char(p.r)};
        }
    }
    return bytes;
}

}  // namespace testfiles
