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

struct Pixel {
    uint8_t r, g, b, a;
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

// A true-colour TGA of 24 or 32 bits; pixels are given top row first, as in the picture, and
// stored in the file in the order its origin flag says. Runs of equal pixels are packed in RLE.
inline std::string tga(int width, int height, int bits, const std::vector<Pixel>& topFirst,
                       TgaKind kind = TgaKind::Plain, bool topOrigin = false) {
    std::string bytes = tgaHeader(static_cast<int>(kind), width, height, bits,
                                  (bits == 32 ? 8 : 0) | (topOrigin ? 0x20 : 0));
    auto pixelBytes = [&](const Pixel& p) {
        std::string s = {char(p.b), char(p.g), char(p.r)};
        if (bits == 32) s += char(p.a);
        return s;
    };
    for (int i = 0; i < height; ++i) {
        const int row = topOrigin ? i : height - 1 - i;
        const Pixel* line = topFirst.data() + static_cast<size_t>(row) * width;
        if (kind == TgaKind::Plain) {
            for (int c = 0; c < width; ++c) bytes += pixelBytes(line[c]);
            continue;
        }
        for (int c = 0; c < width;) {
            int run = 1;
            while (c + run < width && run < 128 && memcmp(&line[c], &line[c + run], 4) == 0) ++run;
            // A run, or a raw packet of one pixel.
            bytes += static_cast<char>(run > 1 ? 0x80 | (run - 1) : 0) + pixelBytes(line[c]);
            c += run;
        }
    }
    return bytes;
}

}  // namespace testfiles
