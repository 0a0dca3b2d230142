// One OpenGL 2D texture read from a DDS or a TGA file; owns its GL name.
#pragma once

#include <GL/glew.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A picture's alpha, bottom row first, one byte a texel.
struct AlphaMask {
    int width = 0, height = 0;
    std::vector<uint8_t> alpha;
};

class Texture {
public:
    // dds selects the DDS reader, otherwise the TGA reader. On failure the name stays 0 and
    // "Error reading texture from file '%s'" is printed. The new texture is left bound.
    Texture(const std::string& path, bool dds);
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // Swaps compressed levels for the renderer's own decoding of them, 8 bits a channel:
    // sampling gives the same colours, and a software renderer no longer decodes blocks at
    // every lookup. Leaves the texture bound; an uncompressed or empty one stays as it is.
    // Keeps level 0's alpha in mask.
    void storeUncompressed();

    GLuint textureName = 0;
    // Where the picture is opaque, for questions the processor asks without the GPU: a TGA
    // picture's from reading, a DDS one's once stored uncompressed; empty otherwise.
    AlphaMask mask;
};

GLuint loadDdsTexture(const char* path);
// mask, when given, receives the picture's alpha (255 throughout for one without).
GLuint loadTgaTexture(const char* path, AlphaMask* mask = nullptr);

// The DDS file taken apart without GL, so it can be checked and fuzzed on its own.
struct DdsLevel {
    int width = 0;
    int height = 0;
    size_t offset = 0;  // into DdsImage::data
    size_t size = 0;
};
struct DdsImage {
    GLenum format = 0;
    std::vector<uint8_t> data;
    std::vector<DdsLevel> levels;
};
// Returns false (with the reader's message, if it has one) for anything it cannot upload safely.
bool parseDds(const char* path, const uint8_t* bytes, size_t size, DdsImage& out);

// A TGA picture ready for upload: bottom row first, tightly packed RGB or RGBA bytes, both sides
// powers of two unless asked to keep them as stored (the heightmap reads TGA files that way).
// True-colour (15 to 32 bits), 8-bit grey and 8-bit colour-mapped, plain or run-length encoded.
// Read without GL, so it can be checked and fuzzed on its own.
struct TgaPixels {
    int width = 0;
    int height = 0;
    GLenum format = 0;  // GL_RGB or GL_RGBA
    std::vector<uint8_t> pixels;
};
bool readTgaPixels(const char* path, TgaPixels& out, bool powerOfTwoSides = true);
// The same from bytes in memory; path only names the file in messages.
bool parseTga(const char* path, const uint8_t* bytes, size_t size, TgaPixels& out,
              bool powerOfTwoSides = true);

// Filters of the splat and bonus-item textures under F4 and F5.
GLint magFilterFor(bool bilinear);
GLint minFilterFor(int mipmapMode);
// Applies both to the texture bound on the active unit.
void applyTextureSampling(bool bilinear, int mipmapMode);
