// The FreeImage paths: the heightmap (any format FreeImage recognises) and the TGA texture pixels.
#include "FuzzFile.h"
#include "assets/HeightmapReader.h"
#include "assets/Texture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const char* path = writeFuzzFile(data + 1, size - 1);
    if (data[0] & 1) {
        TgaPixels picture;
        if (readTgaPixels(path, picture)) {
            const size_t channels = picture.format == GL_RGBA ? 4 : 3;
            FUZZ_CHECK(picture.format == GL_RGBA || picture.format == GL_RGB);
            FUZZ_CHECK(picture.width > 0 && (picture.width & (picture.width - 1)) == 0);
            FUZZ_CHECK(picture.height > 0 && (picture.height & (picture.height - 1)) == 0);
            FUZZ_CHECK(picture.pixels.size() ==
                       static_cast<size_t>(picture.width) * picture.height * channels);
        }
        return 0;
    }
    std::vector<vec3> positions, normals;
    std::vector<unsigned> indices;
    int width = -1, height = -1;
    if (loadHeightmap(path, positions, normals, indices, width, height)) {
        const size_t w = static_cast<size_t>(width), h = static_cast<size_t>(height);
        FUZZ_CHECK(width > 0 && height > 0);
        FUZZ_CHECK(positions.size() == w * h && normals.size() == w * h);
        FUZZ_CHECK(indices.size() == 6 * (w - 1) * (h - 1));
        for (unsigned index : indices) FUZZ_CHECK(index < w * h);
        for (const vec3& p : positions) FUZZ_CHECK(p.y >= 0.0f && p.y <= 17.0f);
    } else {
        FUZZ_CHECK(positions.empty() && normals.empty() && indices.empty());
        FUZZ_CHECK(width == -1 && height == -1);
    }
    return 0;
}
