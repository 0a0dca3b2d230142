#include "render/PaintTiles.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>

#include "game/Projection.h"
#include "render/Shader.h"
#include "render/SplatReach.h"
#include "scene/HeightMapObject.h"
#include "scene/WallObject.h"

namespace {

constexpr GLint kBakeSplatUnit = 1;
// A wall's tiles start one unit before its start and at the foot of its box.
const vec2 kWallTileOrigin(-1.0f, kWallBoxMin[1]);
// Rounding in the program's coordinates must not reach a tile that was never allocated.
constexpr float kSlack = 0.02f;
constexpr int kTerrainSurface = -1;

struct WallFace {
    vec3 normal;      // in the wall's own space; the ends are both x faces
    bool acrossIsUp;  // (along, up) as the stone, or the top's (along, across)
};
const WallFace kWallFaceList[kWallFaces] = {{vec3(0.0f, 0.0f, 1.0f), true},
                                            {vec3(0.0f, 0.0f, -1.0f), true},
                                            {vec3(0.0f, 1.0f, 0.0f), false},
                                            {vec3(1.0f, 0.0f, 0.0f), true}};

// The surface coordinate of a point of the wall box on a face, as Shader/shadowmapping.vert
// has it.
vec2 wallPlace(vec3 local, float length, const WallFace& face) {
    if (face.acrossIsUp) return vec2(local.x * length + local.z, local.y);
    return vec2(local.x * length, local.z + 0.5f);
}

bool facesProjector(const mat4& model, vec3 localNormal, vec3 forward) {
    const glm::mat3 normalMatrix = glm::transpose(glm::inverse(glm::mat3(model)));
    const vec3 normal = glm::normalize(normalMatrix * localNormal);
    return -glm::dot(normal, forward) > kLeastPaintedFacing - kSlack;
}

// A tile a splat paints: where it is in the index, what it lies on and its corner.
struct PaintedTile {
    int column, row;
    int surface;  // a wall's index * kWallFaces + face, or kTerrainSurface
    vec2 corner;
};

}  // namespace

std::string paintTileDefines() {
    return "#define PAINT_TILE_UNITS " + std::to_string(kPaintTileUnits) +
           "\n#define PAINT_TILE_TEXELS " + std::to_string(kPaintTileTexels) + ".0\n";
}

TileSpan tileSpanOf(vec2 low, vec2 high, vec2 origin, int columns, int rows) {
    TileSpan span;
    const vec2 from = glm::floor((low - kSlack - origin) / kPaintTileUnits);
    const vec2 to = glm::floor((high + kSlack - origin) / kPaintTileUnits);
    if (to.x < 0.0f || to.y < 0.0f || from.x >= columns || from.y >= rows) return span;
    span.column = static_cast<int>(std::max(from.x, 0.0f));
    span.row = static_cast<int>(std::max(from.y, 0.0f));
    span.lastColumn = static_cast<int>(std::min(to.x, columns - 1.0f));
    span.lastRow = static_cast<int>(std::min(to.y, rows - 1.0f));
    return span;
}

PaintTiles::PaintTiles(const kesto::scene::HeightMapObject& terrain,
                       const std::vector<std::unique_ptr<kesto::scene::WallObject>>& walls)
    : wallTiles(walls.size(), 0) {
    vec2 low(0.0f), high(0.0f);
    if (!terrain.vertices.empty()) low = high = vec2(terrain.vertices[0].x, terrain.vertices[0].z);
    for (const vec3& v : terrain.vertices) {
        low = glm::min(low, vec2(v.x, v.z));
        high = glm::max(high, vec2(v.x, v.z));
    }
    terrainOrigin = glm::floor(low / kPaintTileUnits) * kPaintTileUnits;
    const vec2 terrainTiles2 = glm::floor((high - terrainOrigin) / kPaintTileUnits) + 1.0f;
    float longest = 0.0f;
    for (const auto& wall : walls)
        longest = std::max(longest, glm::length(wall->end - wall->start));
    const int alongTiles = static_cast<int>(std::ceil((longest + 2.0f) / kPaintTileUnits)) + 1;
    indexWidth = std::max(static_cast<int>(terrainTiles2.x), alongTiles);
    terrainRows = static_cast<int>(terrainTiles2.y);
    indexRows = terrainRows + static_cast<int>(walls.size()) * kWallFaces * kWallFaceRows;

    GLint maxSize = 0, arrayLayers = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    glGetIntegerv(GL_MAX_ARRAY_TEXTURE_LAYERS, &arrayLayers);
    // An index too large for the GPU leaves every splat to the splat pass.
    if (indexWidth > maxSize || indexRows > maxSize) return;
    maxLayers = std::min(arrayLayers, 65535);
    indexTexels.assign(static_cast<size_t>(indexWidth) * indexRows, 0);
    glGenTextures(1, &indexTexture);
    glBindTexture(GL_TEXTURE_2D, indexTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_R16UI, indexWidth, indexRows, 0, GL_RED_INTEGER,
                 GL_UNSIGNED_SHORT, indexTexels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    glGenFramebuffers(1, &framebuffer);
    bakeProgram = std::make_unique<Shader>("Shader/shadowmapping.vert", "Shader/paintBake.frag", "",
                                           true, "#define PAINT_BAKE\n" + paintTileDefines());
}

PaintTiles::~PaintTiles() {
    glDeleteTextures(1, &layerTexture);
    glDeleteTextures(1, &indexTexture);
    glDeleteFramebuffers(1, &framebuffer);
}

vec4 PaintTiles::terrainPlace() const { return vec4(terrainOrigin, 0.0f, 0.0f); }

vec4 PaintTiles::wallPlace(size_t wall) const {
    const float firstRow = static_cast<float>(terrainRows + wall * kWallFaces * kWallFaceRows);
    return vec4(kWallTileOrigin, firstRow, static_cast<float>(kWallFaceRows));
}

bool PaintTiles::grow() {
    const int wanted = std::min(capacity ? capacity * 2 : kFirstPaintLayers, maxLayers);
    if (wanted <= capacity) return false;
    const size_t layerBytes = static_cast<size_t>(kPaintTileTexels) * kPaintTileTexels * 4;
    std::vector<unsigned char> kept(layerBytes * capacity);
    glBindTexture(GL_TEXTURE_2D_ARRAY, layerTexture);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (capacity) glGetTexImage(GL_TEXTURE_2D_ARRAY, 0, GL_RGBA, GL_UNSIGNED_BYTE, kept.data());
    GLuint grown = 0;
    glGenTextures(1, &grown);
    glBindTexture(GL_TEXTURE_2D_ARRAY, grown);
    glTexImage3D(GL_TEXTURE_2D_ARRAY, 0, GL_RGBA8, kPaintTileTexels, kPaintTileTexels, wanted, 0,
                 GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    if (capacity) {
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexSubImage3D(GL_TEXTURE_2D_ARRAY, 0, 0, 0, 0, kPaintTileTexels, kPaintTileTexels,
                        capacity, GL_RGBA, GL_UNSIGNED_BYTE, kept.data());
    }
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D_ARRAY, 0);
    glDeleteTextures(1, &layerTexture);
    layerTexture = grown;
    capacity = wanted;
    return true;
}

int PaintTiles::tileAt(int column, int row) {
    GLushort& texel = indexTexels[static_cast<size_t>(row) * indexWidth + column];
    if (texel) return texel - 1;
    if (usedLayers == capacity && !grow()) return -1;
    texel = static_cast<GLushort>(++usedLayers);
    glBindTexture(GL_TEXTURE_2D, indexTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, column, row, 1, 1, GL_RED_INTEGER, GL_UNSIGNED_SHORT, &texel);
    glBindTexture(GL_TEXTURE_2D, 0);
    return texel - 1;
}

namespace {

// Every tile the splat's reach overlaps, on the terrain and on each wall face it can paint.
std::vector<PaintedTile> tilesOf(
    const Projection& splat, vec2 terrainOrigin, int columns, int terrainRows,
    const std::vector<std::unique_ptr<kesto::scene::WallObject>>& walls) {
    std::vector<PaintedTile> tiles;
    auto addSpan = [&](const TileSpan& span, int surface, vec2 origin, int firstRow) {
        for (int r = span.row; r <= span.lastRow; ++r) {
            for (int c = span.column; c <= span.lastColumn; ++c) {
                const vec2 corner = origin + vec2(c, r) * kPaintTileUnits;
                tiles.push_back({c, firstRow + r, surface, corner});
            }
        }
    };
    if (splat.onTerrain && !splat.terrainRuns.empty()) {
        const GroundBox box = groundBoxOf(splat.terrainReach.hull);
        addSpan(tileSpanOf(box.min, box.max, terrainOrigin, columns, terrainRows), kTerrainSurface,
                terrainOrigin, 0);
    }
    const mat4& m = splat.textureMatrix;
    const vec3 forward = glm::normalize(vec3(m[0][3], m[1][3], m[2][3]));
    for (const SplatSurface& reached : splat.reachedWalls) {
        if (reached.wall < 0 || static_cast<size_t>(reached.wall) >= walls.size()) continue;
        const kesto::scene::WallObject& wall = *walls[static_cast<size_t>(reached.wall)];
        const mat4 toLocal = glm::inverse(wall.modelMatrix);
        const float length = glm::length(vec3(wall.modelMatrix[0]));
        for (int f = 0; f < kWallFaces; ++f) {
            const WallFace& face = kWallFaceList[f];
            if (!facesProjector(wall.modelMatrix, face.normal, forward) &&
                !(f == 3 && facesProjector(wall.modelMatrix, -face.normal, forward))) {
                continue;
            }
            vec2 low(INFINITY), high(-INFINITY);
            for (const vec3& p : reached.hull) {
                const vec2 q = wallPlace(vec3(toLocal * vec4(p, 1.0f)), length, face);
                low = glm::min(low, q);
                high = glm::max(high, q);
            }
            const int surface = reached.wall * kWallFaces + f;
            const int firstRow = terrainRows + surface * kWallFaceRows;
            addSpan(tileSpanOf(low, high, kWallTileOrigin, columns, kWallFaceRows), surface,
                    kWallTileOrigin, firstRow);
        }
    }
    return tiles;
}

}  // namespace

void PaintTiles::bakeNew(const std::vector<Projection>& splats, GLuint splatTexture,
                         const kesto::scene::HeightMapObject& terrain,
                         const std::vector<std::unique_ptr<kesto::scene::WallObject>>& walls) {
    const bool sameSplats =
        splats.size() >= bakedSplats.size() &&
        (bakedSplats.empty() || splats[bakedSplats.size() - 1].textureMatrix == lastBaked);
    if (!sameSplats) {
        // The splats were cleared (a new game): their paint goes.
        std::fill(indexTexels.begin(), indexTexels.end(), 0);
        if (indexTexture) {
            glBindTexture(GL_TEXTURE_2D, indexTexture);
            glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, indexWidth, indexRows, GL_RED_INTEGER,
                            GL_UNSIGNED_SHORT, indexTexels.data());
            glBindTexture(GL_TEXTURE_2D, 0);
        }
        usedLayers = terrainTiles = 0;
        std::fill(wallTiles.begin(), wallTiles.end(), 0);
        bakedSplats.clear();
    }
    if (splats.size() == bakedSplats.size()) return;
    // Each tile's draws in throw order; tiles new this time start clear.
    std::map<int, std::vector<std::pair<size_t, int>>> work;
    std::set<int> fresh;
    std::vector<std::pair<size_t, PaintedTile>> corners;
    for (size_t i = bakedSplats.size(); i < splats.size(); ++i) {
        const Projection& splat = splats[i];
        std::vector<PaintedTile> tiles;
        if (splat.reachKnown && maxLayers > 0)
            tiles = tilesOf(splat, terrainOrigin, indexWidth, terrainRows, walls);
        int needed = 0;
        for (const PaintedTile& t : tiles)
            if (!indexTexels[static_cast<size_t>(t.row) * indexWidth + t.column]) ++needed;
        if (!splat.reachKnown || maxLayers == 0 || usedLayers + needed > maxLayers) {
            bakedSplats.push_back(false);
            continue;
        }
        for (const PaintedTile& t : tiles) {
            const bool isNew = !indexTexels[static_cast<size_t>(t.row) * indexWidth + t.column];
            const int layer = tileAt(t.column, t.row);
            if (layer < 0) continue;
            if (isNew) {
                fresh.insert(layer);
                if (t.surface == kTerrainSurface)
                    ++terrainTiles;
                else
                    ++wallTiles[static_cast<size_t>(t.surface / kWallFaces)];
            }
            work[layer].push_back({i, static_cast<int>(corners.size())});
            corners.push_back({i, t});
        }
        bakedSplats.push_back(true);
    }
    lastBaked = splats.back().textureMatrix;
    if (work.empty()) return;

    GLint viewport[4], program = 0, previousFramebuffer = 0;
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previousFramebuffer);
    const GLboolean culling = glIsEnabled(GL_CULL_FACE);
    GLint polygonMode[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, polygonMode);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, kPaintTileTexels, kPaintTileTexels);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glEnable(GL_BLEND);
    // A texel is painted where one splat covers half of it or more, so coverage takes the
    // largest; the colour is the earliest splat's where it already covers, as the paint has
    // always looked (the first splat to cover a spot keeps it).
    glBlendEquationSeparate(GL_FUNC_ADD, GL_MAX);
    glBlendFuncSeparate(GL_ONE_MINUS_DST_ALPHA, GL_DST_ALPHA, GL_ONE, GL_ONE);
    glActiveTexture(GL_TEXTURE0 + kBakeSplatUnit);
    glBindTexture(GL_TEXTURE_2D, splatTexture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    // The tile's texels are about as dense as the image's where it lands.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glActiveTexture(GL_TEXTURE0);
    const Shader& bake = *bakeProgram;
    glUseProgram(bake.programHandle);
    setUniform(bake, "proj_Map", kBakeSplatUnit);
    for (const auto& [layer, draws] : work) {
        glFramebufferTextureLayer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, layerTexture, 0, layer);
        if (fresh.count(layer)) {
            glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
            glClear(GL_COLOR_BUFFER_BIT);
        }
        for (const auto& [splatIndex, corner] : draws) {
            const Projection& splat = splats[splatIndex];
            const PaintedTile& tile = corners[static_cast<size_t>(corner)].second;
            setUniform(bake, "proj_tex_mat", splat.textureMatrix);
            setUniform(bake, "paint_tile", vec4(tile.corner, kPaintTileUnits, 0.0f));
            if (tile.surface == kTerrainSurface) {
                setUniform(bake, "paint_face", 0.0f);
                setUniform(bake, "M", terrain.modelMatrix);
                drawTerrainRuns(terrain, splat);
                continue;
            }
            setUniform(bake, "paint_face", static_cast<float>(tile.surface % kWallFaces));
            kesto::scene::WallObject& wall = *walls[static_cast<size_t>(tile.surface / kWallFaces)];
            setUniform(bake, "M", wall.modelMatrix);
            wall.draw();
        }
    }
    glBindTexture(GL_TEXTURE_2D_ARRAY, layerTexture);
    glGenerateMipmap(GL_TEXTURE_2D_ARRAY);
    glBindTexture(GL_TEXTURE_2D_ARRAY, 0);

    glBlendEquation(GL_FUNC_ADD);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    if (culling) glEnable(GL_CULL_FACE);
    glPolygonMode(GL_FRONT_AND_BACK, static_cast<GLenum>(polygonMode[0]));
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previousFramebuffer));
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    glUseProgram(static_cast<GLuint>(program));
}
