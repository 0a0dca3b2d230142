// What every reader result must satisfy, whatever the file held. Shared by the fuzz targets and
// the randomized reader test: each check runs the reader and returns what went wrong, or "".
#pragma once

#include <string>
#include <vector>

#include "assets/HeightmapReader.h"
#include "assets/ObjReader.h"
#include "assets/Texture.h"
#include "assets/WallFile.h"

namespace readerprops {

inline std::string checkObjReaders(const char* path) {
    std::vector<vec3> positions, normals;
    std::vector<vec2> uvs;
    if (loadObjFile(path, positions, uvs, normals)) {
        if (positions.size() % 3 != 0) return "textured: not whole triangles";
        if (uvs.size() != positions.size() || normals.size() != positions.size())
            return "textured: arrays of different lengths";
    } else if (!positions.empty() || !uvs.empty() || !normals.empty()) {
        return "textured: failed load wrote output";
    }
    positions.clear();
    normals.clear();
    if (loadNonTexturedObjFile(path, positions, normals)) {
        if (positions.size() % 3 != 0) return "plain: not whole triangles";
        if (normals.size() != positions.size()) return "plain: arrays of different lengths";
    } else if (!positions.empty() || !normals.empty()) {
        return "plain: failed load wrote output";
    }
    return "";
}

inline std::string checkWallFile(const char* path, size_t fileSize) {
    std::vector<vec2> starts, ends;
    if (!loadWallFile(path, starts, ends)) return "readable file refused";
    if (starts.size() != ends.size()) return "arrays of different lengths";
    if (starts.size() > fileSize) return "more walls than bytes";
    return "";
}

inline std::string checkDds(const uint8_t* bytes, size_t size) {
    DdsImage image;
    if (!parseDds("random.dds", bytes, size, image)) {
        return image.levels.empty() && image.data.empty() ? "" : "failed parse wrote output";
    }
    if (size < 128 || image.data.size() > size - 128) return "more data than the file holds";
    size_t end = 0;
    for (const DdsLevel& level : image.levels) {
        if (level.offset != end) return "levels not back to back";
        if (level.width < 0 || level.height < 0) return "negative side";
        if (level.size > image.data.size() - level.offset) return "level past the data";
        end = level.offset + level.size;
    }
    if (image.levels.size() > 33) return "more levels than halvings of a 32-bit side";
    return "";
}

inline bool isPowerOfTwo(int value) { return value > 0 && (value & (value - 1)) == 0; }

inline std::string checkTga(const uint8_t* bytes, size_t size) {
    TgaPixels picture;
    if (!parseTga("random.tga", bytes, size, picture)) {
        return picture.pixels.empty() && picture.width == 0 ? "" : "failed parse wrote output";
    }
    if (picture.format != GL_RGB && picture.format != GL_RGBA) return "format not RGB(A)";
    if (!isPowerOfTwo(picture.width) || !isPowerOfTwo(picture.height))
        return "side not a power of two";
    const size_t channels = picture.format == GL_RGBA ? 4 : 3;
    if (picture.pixels.size() != static_cast<size_t>(picture.width) * picture.height * channels)
        return "pixel count does not match the size";
    return "";
}

inline std::string checkHeightmap(const char* path) {
    std::vector<vec3> positions, normals;
    std::vector<unsigned> indices;
    int width = -1, height = -1;
    if (!loadHeightmap(path, positions, normals, indices, width, height)) {
        if (!positions.empty() || !normals.empty() || !indices.empty() || width != -1 ||
            height != -1)
            return "failed load wrote output";
        return "";
    }
    if (width <= 0 || height <= 0) return "empty grid reported as loaded";
    const size_t w = static_cast<size_t>(width), h = static_cast<size_t>(height);
    if (positions.size() != w * h || normals.size() != w * h) return "not one vertex per pixel";
    if (indices.size() != 6 * (w - 1) * (h - 1)) return "not two triangles per cell";
    for (unsigned index : indices) {
        if (index >= w * h) return "index past the grid";
    }
    for (const vec3& p : positions) {
        if (!(p.y >= 0.0f && p.y <= 17.0f)) return "height outside [0, 17]";
    }
    return "";
}

}  // namespace readerprops
