#include "assets/Texture.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kDdsHeaderEnd = 128;  // magic + 124-byte header
constexpr uint32_t kFourCcDxt1 = 0x31545844;
constexpr uint32_t kFourCcDxt3 = 0x33545844;
constexpr uint32_t kFourCcDxt5 = 0x35545844;

uint32_t readLe32(const uint8_t* bytes) {
    return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
           static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// False when the file cannot be opened or read (a directory opens but cannot be read).
bool readWholeFile(const char* path, std::vector<uint8_t>& bytes) {
    FILE* file = fopen(path, "rb");
    if (!file) return false;
    uint8_t chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    const bool readFailed = ferror(file) != 0;
    fclose(file);
    return !readFailed;
}

// Our rows are tightly packed; the caller's alignment (GL_UNPACK_ALIGNMENT or
// GL_PACK_ALIGNMENT) is put back afterwards.
class TightRows {
public:
    explicit TightRows(GLenum alignment) : alignment(alignment) {
        glGetIntegerv(alignment, &saved);
        glPixelStorei(alignment, 1);
    }
    ~TightRows() { glPixelStorei(alignment, saved); }
    TightRows(const TightRows&) = delete;
    TightRows& operator=(const TightRows&) = delete;

private:
    GLenum alignment;
    GLint saved = 4;
};

}  // namespace

bool parseDds(const char* path, const uint8_t* bytes, size_t size, DdsImage& out) {
    if (size < 4 || memcmp(bytes, "DDS ", 4) != 0) {
        char magic[5] = {};
        if (size > 0) memcpy(magic, bytes, std::min<size_t>(size, 4));
        fprintf(stderr, "File '%s' has a wrong extension '%s'! Please use '.DDS'\n", path, magic);
        return false;
    }
    if (size < kDdsHeaderEnd) {
        fprintf(stderr, "File '%s' ends inside its DDS header\n", path);
        return false;
    }
    const uint32_t height = readLe32(bytes + 12);
    const uint32_t width = readLe32(bytes + 16);
    const uint32_t linearSize = readLe32(bytes + 20);
    const uint32_t mipMapCount = readLe32(bytes + 28);
    const uint32_t fourCc = readLe32(bytes + 84);

    GLenum format;
    switch (fourCc) {
    case kFourCcDxt1: format = GL_COMPRESSED_RGBA_S3TC_DXT1_EXT; break;
    case kFourCcDxt3: format = GL_COMPRESSED_RGBA_S3TC_DXT3_EXT; break;
    case kFourCcDxt5: format = GL_COMPRESSED_RGBA_S3TC_DXT5_EXT; break;
    default: return false;
    }
    if (width > INT_MAX || height > INT_MAX) {
        fprintf(stderr, "File '%s' declares a texture of %u x %u pixels\n", path, width, height);
        return false;
    }

    const uint64_t bufferSize = mipMapCount > 1 ? uint64_t{linearSize} * 2 : linearSize;
    const size_t available =
        static_cast<size_t>(std::min<uint64_t>(bufferSize, size - kDdsHeaderEnd));
    const size_t blockBytes = fourCc == kFourCcDxt1 ? 8 : 16;

    std::vector<DdsLevel> levels;
    size_t offset = 0;
    uint32_t w = width, h = height;
    for (uint32_t level = 0; level < mipMapCount; ++level) {
        if (w == 0 && h == 0) break;
        const uint64_t blocks = (uint64_t{w} + 3) / 4 * ((uint64_t{h} + 3) / 4);
        if (blocks > (available - offset) / blockBytes) {
            fprintf(stderr, "File '%s' holds less image data than its header declares\n", path);
            return false;
        }
        DdsLevel next;
        next.width = static_cast<int>(w);
        next.height = static_cast<int>(h);
        next.offset = offset;
        next.size = static_cast<size_t>(blocks) * blockBytes;
        levels.push_back(next);
        offset += next.size;
        w /= 2;
        h /= 2;
    }

    out.format = format;
    out.data.assign(bytes + kDdsHeaderEnd, bytes + kDdsHeaderEnd + available);
    out.levels = std::move(levels);
    return true;
}

GLuint loadDdsTexture(const char* path) {
    printf("Loading DDS file '%s'...\n", path);
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, bytes)) {
        fprintf(stderr, "Impossible to open the file '%s'\n", path);
        return 0;
    }
    DdsImage image;
    if (!parseDds(path, bytes.data(), bytes.size(), image)) return 0;

    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    TightRows alignment(GL_UNPACK_ALIGNMENT);
    for (size_t level = 0; level < image.levels.size(); ++level) {
        const DdsLevel& l = image.levels[level];
        glCompressedTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), image.format, l.width,
                               l.height, 0, static_cast<GLsizei>(l.size),
                               image.data.data() + l.offset);
    }
    return name;
}

bool readTgaPixels(const char* path, TgaPixels& out, bool powerOfTwoSides) {
    std::vector<uint8_t> bytes;
    return readWholeFile(path, bytes) &&
           parseTga(path, bytes.data(), bytes.size(), out, powerOfTwoSides);
}

GLuint loadTgaTexture(const char* path, AlphaMask* mask) {
    TgaPixels picture;
    if (!readTgaPixels(path, picture)) return 0;
    if (mask) {
        mask->width = picture.width;
        mask->height = picture.height;
        mask->alpha.assign(static_cast<size_t>(picture.width) * picture.height, 255);
        if (picture.format == GL_RGBA) {
            for (size_t i = 0; i < mask->alpha.size(); ++i)
                mask->alpha[i] = picture.pixels[i * 4 + 3];
        }
    }

    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    {
        TightRows alignment(GL_UNPACK_ALIGNMENT);
        glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(picture.format), picture.width,
                     picture.height, 0, picture.format, GL_UNSIGNED_BYTE, picture.pixels.data());
    }
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glGenerateMipmap(GL_TEXTURE_2D);
    return name;
}

Texture::Texture(const std::string& path, bool dds) {
    textureName = dds ? loadDdsTexture(path.c_str()) : loadTgaTexture(path.c_str(), &mask);
    if (textureName == 0) {
        // Nothing of ours is bound now: leave whatever texture is bound alone.
        fprintf(stderr, "Error reading texture from file '%s'\n", path.c_str());
        return;
    }
    // A DDS file may hold no level, or an empty one: there is nothing to make mipmaps from then.
    GLint baseWidth = 0, baseHeight = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &baseWidth);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &baseHeight);
    if (baseWidth > 0 && baseHeight > 0) glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
}

void Texture::storeUncompressed() {
    if (textureName == 0) return;
    glBindTexture(GL_TEXTURE_2D, textureName);
    GLint compressed = GL_FALSE;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_COMPRESSED, &compressed);
    if (compressed != GL_TRUE) return;

    struct Level {
        GLint width = 0, height = 0;
        std::vector<uint8_t> rgba;
    };
    // Read every level before replacing any: a half-replaced chain mixes formats.
    std::vector<Level> levels;
    {
        TightRows packing(GL_PACK_ALIGNMENT);
        for (GLint level = 0; level < 32; ++level) {
            Level next;
            glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &next.width);
            glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &next.height);
            if (next.width <= 0 || next.height <= 0) break;
            next.rgba.resize(static_cast<size_t>(next.width) * next.height * 4);
            glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, next.rgba.data());
            levels.push_back(std::move(next));
        }
    }
    if (!levels.empty()) {
        mask.width = levels[0].width;
        mask.height = levels[0].height;
        mask.alpha.clear();
        for (size_t i = 3; i < levels[0].rgba.size(); i += 4)
            mask.alpha.push_back(levels[0].rgba[i]);
    }
    TightRows alignment(GL_UNPACK_ALIGNMENT);
    for (size_t level = 0; level < levels.size(); ++level) {
        const Level& l = levels[level];
        glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), GL_RGBA8, l.width, l.height, 0,
                     GL_RGBA, GL_UNSIGNED_BYTE, l.rgba.data());
    }
}

Texture::~Texture() {
    if (textureName != 0) glDeleteTextures(1, &textureName);
}

GLint magFilterFor(bool bilinear) { return bilinear ? GL_LINEAR : GL_NEAREST; }

GLint minFilterFor(int mipmapMode) {
    if (mipmapMode == 2) return GL_LINEAR_MIPMAP_LINEAR;
    if (mipmapMode == 1) return GL_NEAREST_MIPMAP_NEAREST;
    return GL_LINEAR;
}

void applyTextureSampling(bool bilinear, int mipmapMode) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilterFor(bilinear));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilterFor(mipmapMode));
}
