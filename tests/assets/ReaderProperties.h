// What every reader result must satisfy, whatever the file held: each check runs the reader and
// returns what went wrong, or "". The fuzz targets stop on the first broken property.
#pragma once

#include <string>
#include <vector>

#include "assets/HeightmapReader.h"
#include "assets/ObjReader.h"
#include "assets/Texture.h"
#include "assets/WallFile.h"

namespace readerprops {

// Whole triangles with one uv and normal per corner when loaded; nothing written otherwise.
inline std::string checkObjReaders(const char* path) {
    std::vector<vec3> positions, normals;
    std::vector<vec2> uvs;
    const bool textured = loadObjFile(path, positions, uvs, normals);
    if (positions.size() % 3 != 0 || uvs.size() != positions.size() ||
        normals.size() != positions.size() || (!textured && !positions.empty()))
        return "textured: broken or partial mesh";
    positions.clear();
    normals.clear();
    const bool plain = loadNonTexturedObjFile(path, positions, normals);
    if (positions.size() % 3 != 0 || normals.size() != positions.size() ||
        (!plain && !positions.empty()))
        return "plain: broken or partial mesh";
    return "";
}

inline std::string checkWallFile(const char* path, size_t fileSize) {
    std::vector<vec2> starts, ends;
    if (!loadWallFile(path, starts, ends)) return "readable file refused";
    if (starts.size() != ends.size() || starts.size() > fileSize) return "walls miscounted";
    return "";
}

inline std::string checkDds(const uint8_t* bytes, size_t size) {
    DdsImage image;
    if (!parseDds("random.dds", bytes, size, image))
        return image.levels.empty() && image.data.empty() ? "" : "failed parse wrote output";
    if (size < 128 || image.data.size() > size - 128) return "more data than the file holds";
    size_t end = 0;
    for (const DdsLevel& level : image.levels) {
        if (level.offset != end || level.width < 0 || level.height < 0 ||
            level.size > image.data.size() - level.offset)
            return "level outside the data";
        end = level.offset + level.size;
    }
    return image.levels.size() > 33 ? "more levels than halvings of a 32-bit side" : "";
}

inline std::string checkTga(const uint8_t* bytes, size_t size) {
    TgaPixels picture;
    if (!parseTga("random.tga", bytes, size, picture))
        return picture.pixels.empty() && picture.width == 0 ? "" : "failed parse wrote output";
    auto powerOfTwo = [](int side) { return side > 0 && (side & (side - 1)) == 0; };
    if (!powerOfTwo(picture.width) || !powerOfTwo(picture.height)) return "side not a power of 2";
    const size_t channels = picture.format == GL_RGBA ? 4 : picture.format == GL_RGB ? 3 : 0;
    if (picture.pixels.size() != size_t(picture.width) * picture.height * channels)
        return "pixel count or format does not match";
    return "";
}

inline std::string checkHeightmap(const char* path) {
    std::vector<vec3> positions, normals;
    std::vector<unsigned> indices;
    int width = -1, height = -1;
    if (!loadHeightmap(path, positions, normals, indices, width, height))
        return positions.empty() && normals.empty() && indices.empty() && width == -1
                   ? ""
                   : "failed load wrote output";
    if (width <= 0 || height <= 0) return "empty grid reported as loaded";
    const size_t w = size_t(width), h = size_t(height);
    if (positions.size() != w * h || normals.size() != w * h ||
        indices.size() != 6 * (w - 1) * (h - 1))
        return "not one vertex per pixel and two triangles per cell";
    for (unsigned index : indices)
        if (index >= w * h) return "index past the grid";
    for (const vec3& p : positions)
        if (!(p.y >= 0.0f && p.y <= 17.0f)) return "height outside [0, 17]";
    return "";
}

}  // namespace readerprops
