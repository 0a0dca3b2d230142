// TGA pictures decoded by hand: FreeImage's own TGA loader reads past its buffers on some
// run-length files, so it only gets to resample pictures that we have already read safely.
#include <FreeImage.h>

#include <cstdio>
#include <cstring>

#include "assets/Texture.h"

namespace {

constexpr size_t kHeaderSize = 18;
// Larger than any texture the GL we run on accepts; keeps every size computation small.
constexpr unsigned kMaxSide = 16384;

enum ImageKind { kColourMapped = 1, kTrueColour = 2, kGrey = 3 };

unsigned readLe16(const uint8_t* bytes) { return bytes[0] | bytes[1] << 8; }

struct Header {
    unsigned idLength, colourMapType, kind, mapFirst, mapLength, mapBits, width, height, bits;
    bool runLength, topOrigin, rightToLeft;
};

Header readHeader(const uint8_t* b) {
    Header h;
    h.idLength = b[0];
    h.colourMapType = b[1];
    h.kind = b[2] & ~8u;
    h.runLength = (b[2] & 8) != 0;
    h.mapFirst = readLe16(b + 3);
    h.mapLength = readLe16(b + 5);
    h.mapBits = b[7];
    h.width = readLe16(b + 12);
    h.height = readLe16(b + 14);
    h.bits = b[16];
    h.topOrigin = (b[17] & 0x20) != 0;
    h.rightToLeft = (b[17] & 0x10) != 0;
    return h;
}

bool isEntryDepth(unsigned bits) { return bits == 15 || bits == 16 || bits == 24 || bits == 32; }

bool isSupported(const Header& h) {
    if (h.colourMapType > 1 || (h.colourMapType == 1 && !isEntryDepth(h.mapBits))) return false;
    switch (h.kind) {
    case kColourMapped: return h.colourMapType == 1 && h.bits == 8;
    case kTrueColour: return isEntryDepth(h.bits);
    case kGrey: return h.bits == 8;
    default: return false;
    }
}

// One stored value (a pixel or a colour-map entry) of 15 to 32 bits as RGBA.
void toRgba(const uint8_t* value, unsigned bits, uint8_t* rgba) {
    if (bits <= 16) {
        const unsigned v = readLe16(value);
        auto expand = [](unsigned five) { return static_cast<uint8_t>(five << 3 | five >> 2); };
        rgba[0] = expand(v >> 10 & 31);
        rgba[1] = expand(v >> 5 & 31);
        rgba[2] = expand(v & 31);
        rgba[3] = 255;
        return;
    }
    rgba[0] = value[2];
    rgba[1] = value[1];
    rgba[2] = value[0];
    rgba[3] = bits == 32 ? value[3] : 255;
}

class Decoder {
public:
    Decoder(const char* path, const uint8_t* bytes, size_t size)
        : path(path), bytes(bytes), size(size), h(readHeader(bytes)) {}

    bool decode(TgaPixels& out) {
        if (!isSupported(h)) {
            fprintf(stderr, "Texture '%s' is a kind of TGA we do not read (type %u, %u bits)\n",
                    path, h.kind | (h.runLength ? 8 : 0), h.bits);
            return false;
        }
        if (h.width == 0 || h.height == 0 || h.width > kMaxSide || h.height > kMaxSide) {
            fprintf(stderr, "Texture '%s' has an unusable size of %u x %u pixels\n", path, h.width,
                    h.height);
            return false;
        }
        position = kHeaderSize + h.idLength;
        if (!readColourMap() || !dataCanHoldPixels()) return truncated();
        const size_t pixelCount = size_t{h.width} * h.height;
        rgba.resize(pixelCount * 4);
        if (!(h.runLength ? readRuns(pixelCount) : readPlain(pixelCount))) return false;
        out.width = static_cast<int>(h.width);
        out.height = static_cast<int>(h.height);
        out.format = hasAlpha() ? GL_RGBA : GL_RGB;
        arrange(out);
        return true;
    }

private:
    bool truncated() {
        fprintf(stderr, "Texture '%s' holds less data than its TGA header announces\n", path);
        return false;
    }

    size_t remaining() const { return position <= size ? size - position : 0; }
    unsigned pixelBytes() const { return (h.bits + 7) / 8; }

    bool readColourMap() {
        if (h.colourMapType == 0) return true;
        const size_t entryBytes = (h.mapBits + 7) / 8;
        const size_t mapBytes = size_t{h.mapLength} * entryBytes;
        if (mapBytes > remaining()) return false;
        const uint8_t* entry = bytes + position;
        map.resize(size_t{h.mapLength} * 4);
        for (unsigned i = 0; i < h.mapLength; ++i, entry += entryBytes)
            toRgba(entry, h.mapBits, &map[size_t{i} * 4]);
        position += mapBytes;
        return true;
    }

    // The least data the pixels need, checked before their memory is taken: a run packet
    // holds at most 128 pixels in one byte plus one value.
    bool dataCanHoldPixels() const {
        const size_t pixels = size_t{h.width} * h.height;
        const size_t least =
            h.runLength ? (pixels + 127) / 128 * (1 + pixelBytes()) : pixels * pixelBytes();
        return least <= remaining();
    }

    bool store(size_t index, const uint8_t* value) {
        uint8_t* target = &rgba[index * 4];
        switch (h.kind) {
        case kGrey:
            target[0] = target[1] = target[2] = value[0];
            target[3] = 255;
            return true;
        case kColourMapped: {
            const unsigned entry = value[0];
            if (entry < h.mapFirst || entry - h.mapFirst >= h.mapLength) {
                fprintf(stderr, "Texture '%s' uses a colour outside its colour map\n", path);
                return false;
            }
            memcpy(target, &map[size_t{entry - h.mapFirst} * 4], 4);
            return true;
        }
        default: toRgba(value, h.bits, target); return true;
        }
    }

    bool readPlain(size_t pixelCount) {
        for (size_t i = 0; i < pixelCount; ++i, position += pixelBytes()) {
            if (!store(i, bytes + position)) return false;
        }
        return true;
    }

    bool readRuns(size_t pixelCount) {
        for (size_t i = 0; i < pixelCount;) {
            if (remaining() < 1) return truncated();
            const uint8_t packet = bytes[position++];
            const size_t count = (packet & 0x7F) + 1u;
            const bool run = (packet & 0x80) != 0;
            if (count > pixelCount - i) {
                fprintf(stderr, "Texture '%s' has more pixels than its TGA header announces\n",
                        path);
                return false;
            }
            if (remaining() < (run ? 1 : count) * pixelBytes()) return truncated();
            for (size_t k = 0; k < count; ++k, ++i) {
                if (!store(i, bytes + position)) return false;
                if (!run) position += pixelBytes();
            }
            if (run) position += pixelBytes();
        }
        return true;
    }

    bool hasAlpha() const {
        return (h.kind == kTrueColour && h.bits == 32) ||
               (h.kind == kColourMapped && h.mapBits == 32);
    }

    // Bottom row first, left to right, whatever corner the file starts in.
    void arrange(TgaPixels& out) const {
        const size_t channels = out.format == GL_RGBA ? 4 : 3;
        out.pixels.resize(size_t{h.width} * h.height * channels);
        for (unsigned row = 0; row < h.height; ++row) {
            const unsigned targetRow = h.topOrigin ? h.height - 1 - row : row;
            for (unsigned column = 0; column < h.width; ++column) {
                const unsigned targetColumn = h.rightToLeft ? h.width - 1 - column : column;
                const uint8_t* source = &rgba[(size_t{row} * h.width + column) * 4];
                uint8_t* target =
                    &out.pixels[(size_t{targetRow} * h.width + targetColumn) * channels];
                memcpy(target, source, channels);
            }
        }
    }

    const char* path;
    const uint8_t* bytes;
    size_t size;
    Header h;
    size_t position = 0;
    std::vector<uint8_t> map, rgba;
};

unsigned nextPowerOfTwo(unsigned value) {
    unsigned power = 1;
    while (power < value) power *= 2;
    return power;
}

// Sides that are not powers of two are scaled up to the next ones. The filter treats every
// channel alike, so FreeImage's own channel order does not matter here.
bool resampleToPowersOfTwo(TgaPixels& picture) {
    const unsigned width = static_cast<unsigned>(picture.width);
    const unsigned height = static_cast<unsigned>(picture.height);
    const unsigned potWidth = nextPowerOfTwo(width), potHeight = nextPowerOfTwo(height);
    if (potWidth == width && potHeight == height) return true;
    const unsigned channels = picture.format == GL_RGBA ? 4 : 3;
    FIBITMAP* source = FreeImage_ConvertFromRawBits(
        picture.pixels.data(), picture.width, picture.height, static_cast<int>(width * channels),
        channels * 8, 0, 0, 0, FALSE);
    if (!source) return false;
    FIBITMAP* scaled = FreeImage_Rescale(source, static_cast<int>(potWidth),
                                         static_cast<int>(potHeight), FILTER_BILINEAR);
    FreeImage_Unload(source);
    if (!scaled) return false;
    std::vector<uint8_t> pixels(size_t{potWidth} * potHeight * channels);
    for (unsigned row = 0; row < potHeight; ++row) {
        memcpy(&pixels[size_t{row} * potWidth * channels],
               FreeImage_GetScanLine(scaled, static_cast<int>(row)), size_t{potWidth} * channels);
    }
    FreeImage_Unload(scaled);
    picture.width = static_cast<int>(potWidth);
    picture.height = static_cast<int>(potHeight);
    picture.pixels = std::move(pixels);
    return true;
}

}  // namespace

bool parseTga(const char* path, const uint8_t* bytes, size_t size, TgaPixels& out,
              bool powerOfTwoSides) {
    if (size < kHeaderSize) {
        fprintf(stderr, "Texture '%s' is too short for a TGA header\n", path);
        return false;
    }
    TgaPixels picture;
    if (!Decoder(path, bytes, size).decode(picture)) return false;
    if (powerOfTwoSides && !resampleToPowersOfTwo(picture)) return false;
    out = std::move(picture);
    return true;
}
