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
vec2 faceCoordinate(vec3 local, float length, const WallFace& face) {
    if (face.acrossIsUp) return vec2(local.x * length + local.z, local.y);
    return vec2(local.x * length, local.z + 0.5f);
}

bool facesProjector(const mat4& model, vec3 localNormal, vec3 forward) {
    const glm::mat3 normalMatrix = glm::transpose(glm::inverse(glm::mat3(model)));
    const vec3 normal = glm::normalize(normalMatrix * localNormal);
    return -glm::dot(normal, forward) > kLeastPaintedFacing - kSlack;
}

}  // namespace

// A tile a splat paints: where it is in the index, what it lies on and its corner.
struct PaintedTile {
    int column, row;
    int surface;  // a wall's index * kWallFaces + face, or kTerrainSurface
    vec2 corner;
};

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
    // The terrain's cells are a unit square each, one tile each.
    static_assert(kPaintTileUnits == 1.0f, "a terrain cell is one tile");
    cellColumns = std::max(terrain.width - 1, 0);
    cellRows = std::max(terrain.depth - 1, 0);
    firstCellColumn = static_cast<int>(low.x - terrainOrigin.x);
    firstCellRow = static_cast<int>(low.y - terrainOrigin.y);
    float longest = 0.0f;
    for (const auto& wall : walls)
        longest = std::max(longest, glm::length(wall->end - wall->start));
    wallColumns = static_cast<int>(std::ceil((longest + 2.0f) / kPaintTileUnits)) + 1;
    indexWidth = std::max(static_cast<int>(terrainTiles2.x), wallColumns);
    terrainRows = static_cast<int>(terrainTiles2.y);
    // Walls side by side in bands as wide as the terrain's tiles, each wall its faces' rows.
    wallsPerBand = std::max(indexWidth / std::max(wallColumns, 1), 1);
    const int bands = (static_cast<int>(walls.size()) + wallsPerBand - 1) / wallsPerBand;
    indexRows = terrainRows + bands * kWallFaces * kWallFaceRows;

    GLint maxSize = 0, arrayLayers = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    glGetIntegerv(GL_MAX_ARRAY_TEXTURE_LAYERS, &arrayLayers);
    // An index too large for the GPU leaves every splat to the splat pass.
    if (indexWidth > maxSize || indexRows > maxSize) return;
    maxLayers = std::min(arrayLayers, 65535);
    for (int size = kPaintTileTexels; size > 1; size /= 2) ++levels;
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
    glGenFramebuffers(1, &readFramebuffer);
    bakeProgram = std::make_unique<Shader>("Shader/shadowmapping.vert", "Shader/paintBake.frag", "",
                                           true, "#define PAINT_BAKE\n" + paintTileDefines());
    findTerrainRuns();
}

PaintTiles::~PaintTiles() {
    glDeleteTextures(1, &layerTexture);
    glDeleteTextures(1, &indexTexture);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteFramebuffers(1, &readFramebuffer);
}

vec4 PaintTiles::terrainPlace() const { return vec4(terrainOrigin, 0.0f, 0.0f); }

glm::ivec2 PaintTiles::wallCorner(size_t wall) const {
    const int band = static_cast<int>(wall) / wallsPerBand;
    return glm::ivec2(static_cast<int>(wall) % wallsPerBand * wallColumns,
                      terrainRows + band * kWallFaces * kWallFaceRows);
}

vec4 PaintTiles::wallPlace(size_t wall) const {
    // The wall's first column moves its origin: the program finds the tile from there.
    const glm::ivec2 corner = wallCorner(wall);
    return vec4(kWallTileOrigin.x - static_cast<float>(corner.x) * kPaintTileUnits,
                kWallTileOrigin.y, static_cast<float>(corner.y), static_cast<float>(kWallFaceRows));
}

GLuint PaintTiles::allocateLayers(int count) const {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D_ARRAY, texture);
    if (GLEW_ARB_texture_storage) {
        glTexStorage3D(GL_TEXTURE_2D_ARRAY, levels, GL_RGBA8, kPaintTileTexels, kPaintTileTexels,
                       count);
    } else {
        // Asked for mipmaps first, the driver allocates the whole chain at once.
        glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        for (int level = 0, size = kPaintTileTexels; level < levels; ++level, size /= 2) {
            glTexImage3D(GL_TEXTURE_2D_ARRAY, level, GL_RGBA8, std::max(size, 1), std::max(size, 1),
                         count, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        }
    }
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAX_LEVEL, levels - 1);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    return texture;
}

bool PaintTiles::grow() {
    const int wanted = std::min(capacity + kPaintLayerStep, maxLayers);
    if (wanted <= capacity) return false;
    const GLuint grown = allocateLayers(wanted);
    for (int level = 0, size = kPaintTileTexels; capacity && level < levels; ++level, size /= 2) {
        const int side = std::max(size, 1);
        if (GLEW_ARB_copy_image) {
            glCopyImageSubData(layerTexture, GL_TEXTURE_2D_ARRAY, level, 0, 0, 0, grown,
                               GL_TEXTURE_2D_ARRAY, level, 0, 0, 0, side, side, capacity);
            continue;
        }
        std::vector<unsigned char> kept(static_cast<size_t>(side) * side * 4 * capacity);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glBindTexture(GL_TEXTURE_2D_ARRAY, layerTexture);
        glGetTexImage(GL_TEXTURE_2D_ARRAY, level, GL_RGBA, GL_UNSIGNED_BYTE, kept.data());
        glBindTexture(GL_TEXTURE_2D_ARRAY, grown);
        glTexSubImage3D(GL_TEXTURE_2D_ARRAY, level, 0, 0, 0, side, side, capacity, GL_RGBA,
                        GL_UNSIGNED_BYTE, kept.data());
    }
    glBindTexture(GL_TEXTURE_2D_ARRAY, 0);
    glDeleteTextures(1, &layerTexture);
    layerTexture = grown;
    capacity = wanted;
    return true;
}

void PaintTiles::setIndex(int column, int row, GLushort texel) {
    indexTexels[static_cast<size_t>(row) * indexWidth + column] = texel;
    glBindTexture(GL_TEXTURE_2D, indexTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, column, row, 1, 1, GL_RED_INTEGER, GL_UNSIGNED_SHORT, &texel);
    glBindTexture(GL_TEXTURE_2D, 0);
}

int PaintTiles::tileAt(int column, int row) {
    const GLushort texel = indexTexels[static_cast<size_t>(row) * indexWidth + column];
    if (texel) return texel - 1;
    int layer = -1;
    if (!freeLayers.empty()) {
        layer = freeLayers.back();
        freeLayers.pop_back();
    } else {
        if (highestLayer == capacity && !grow()) return -1;
        layer = highestLayer++;
    }
    ++usedLayers;
    setIndex(column, row, static_cast<GLushort>(layer + 1));
    return layer;
}

void PaintTiles::forget() {
    std::fill(indexTexels.begin(), indexTexels.end(), 0);
    if (indexTexture) {
        glBindTexture(GL_TEXTURE_2D, indexTexture);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, indexWidth, indexRows, GL_RED_INTEGER,
                        GL_UNSIGNED_SHORT, indexTexels.data());
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    highestLayer = usedLayers = 0;
    freeLayers.clear();
    std::fill(wallTiles.begin(), wallTiles.end(), 0);
    bakedSplats.clear();
    findTerrainRuns();
}

void PaintTiles::findTerrainRuns() {
    paintedRuns.clear();
    plainRuns.clear();
    for (int r = 0; r < cellRows; ++r) {
        const int row = r + firstCellRow;
        int c = 0;
        while (c < cellColumns) {
            const auto paintedAt = [&](int column) {
                const int at = column + firstCellColumn;
                return row < terrainRows && at < indexWidth &&
                       indexTexels[static_cast<size_t>(row) * indexWidth + at] != 0;
            };
            const bool painted = paintedAt(c);
            const int first = c;
            while (c < cellColumns && paintedAt(c) == painted) ++c;
            (painted ? paintedRuns : plainRuns).push_back({r, first, c - first});
        }
    }
}

namespace {}  // namespace

// Every tile the splat's reach overlaps, on the terrain and on each wall face it can paint.
std::vector<PaintedTile> PaintTiles::tilesOf(
    const Projection& splat,
    const std::vector<std::unique_ptr<kesto::scene::WallObject>>& walls) const {
    std::vector<PaintedTile> tiles;
    auto addSpan = [&](const TileSpan& span, int surface, vec2 origin, glm::ivec2 first) {
        for (int r = span.row; r <= span.lastRow; ++r) {
            for (int c = span.column; c <= span.lastColumn; ++c) {
                const vec2 corner = origin + vec2(c, r) * kPaintTileUnits;
                tiles.push_back({first.x + c, first.y + r, surface, corner});
            }
        }
    };
    if (splat.onTerrain && !splat.terrainRuns.empty()) {
        const GroundBox box = groundBoxOf(splat.terrainReach.hull);
        addSpan(tileSpanOf(box.min, box.max, terrainOrigin, indexWidth, terrainRows),
                kTerrainSurface, terrainOrigin, glm::ivec2(0));
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
                const vec2 q = faceCoordinate(vec3(toLocal * vec4(p, 1.0f)), length, face);
                low = glm::min(low, q);
                high = glm::max(high, q);
            }
            const int surface = reached.wall * kWallFaces + f;
            const glm::ivec2 first =
                wallCorner(static_cast<size_t>(reached.wall)) + glm::ivec2(0, f * kWallFaceRows);
            addSpan(tileSpanOf(low, high, kWallTileOrigin, wallColumns, kWallFaceRows), surface,
                    kWallTileOrigin, first);
        }
    }
    return tiles;
}

namespace {

// Whether the framebuffer's picture shows paint: a texel at half coverage or more, as the
// receiving program draws it (no filter can lift less than that to half).
bool showsPaint(std::vector<unsigned char>& texels) {
    glReadPixels(0, 0, kPaintTileTexels, kPaintTileTexels, GL_RGBA, GL_UNSIGNED_BYTE,
                 texels.data());
    for (size_t i = 3; i < texels.size(); i += 4)
        if (texels[i] >= 128) return true;
    return false;
}

}  // namespace

struct PaintTiles::Tile {
    int layer;
    PaintedTile place;
};

void PaintTiles::release(const Tile& tile) {
    setIndex(tile.place.column, tile.place.row, 0);
    freeLayers.push_back(tile.layer);
    --usedLayers;
    if (tile.place.surface != kTerrainSurface)
        --wallTiles[static_cast<size_t>(tile.place.surface / kWallFaces)];
}

void PaintTiles::bakeBatch(const std::vector<Projection>& splats, size_t end, GLuint splatTexture,
                           const kesto::scene::HeightMapObject& terrain,
                           const std::vector<std::unique_ptr<kesto::scene::WallObject>>& walls,
                           std::set<int>& changed) {
    // Each tile's draws in throw order; tiles new this time start clear.
    std::map<int, std::vector<std::pair<size_t, PaintedTile>>> work;
    std::vector<Tile> fresh;
    std::set<int> freshLayers;
    for (size_t i = bakedSplats.size(); i < end; ++i) {
        const Projection& splat = splats[i];
        std::vector<PaintedTile> tiles;
        if (splat.reachKnown && maxLayers > 0) tiles = tilesOf(splat, walls);
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
                fresh.push_back({layer, t});
                freshLayers.insert(layer);
                if (t.surface != kTerrainSurface)
                    ++wallTiles[static_cast<size_t>(t.surface / kWallFaces)];
            }
            work[layer].push_back({i, t});
        }
        bakedSplats.push_back(true);
    }
    if (work.empty()) return;

    glActiveTexture(GL_TEXTURE0 + kBakeSplatUnit);
    glBindTexture(GL_TEXTURE_2D, splatTexture);
    glActiveTexture(GL_TEXTURE0);
    const Shader& bake = *bakeProgram;
    glUseProgram(bake.programHandle);
    for (const auto& [layer, draws] : work) {
        glFramebufferTextureLayer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, layerTexture, 0, layer);
        if (freshLayers.count(layer)) glClear(GL_COLOR_BUFFER_BIT);
        for (const auto& [splatIndex, tile] : draws) {
            const Projection& splat = splats[splatIndex];
            setUniform(bake, "proj_tex_mat", splat.textureMatrix);
            setUniform(bake, "paint_tile", vec4(tile.corner, kPaintTileUnits, 0.0f));
            if (tile.surface == kTerrainSurface) {
                setUniform(bake, "paint_face", 0.0f);
                setUniform(bake, "M", terrain.modelMatrix);
                drawTerrainRuns(terrain, splat.terrainRuns);
                continue;
            }
            setUniform(bake, "paint_face", static_cast<float>(tile.surface % kWallFaces));
            kesto::scene::WallObject& wall = *walls[static_cast<size_t>(tile.surface / kWallFaces)];
            setUniform(bake, "M", wall.modelMatrix);
            wall.draw();
        }
        changed.insert(layer);
    }
    // The projector's square reaches tiles its splat leaves bare: they go back.
    std::vector<unsigned char> texels(static_cast<size_t>(kPaintTileTexels) * kPaintTileTexels * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (const Tile& tile : fresh) {
        glFramebufferTextureLayer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, layerTexture, 0,
                                  tile.layer);
        if (showsPaint(texels)) continue;
        release(tile);
        changed.erase(tile.layer);
    }
}

// Each smaller level from the one above, for the layers given only.
void PaintTiles::buildMipmaps(const std::set<int>& layers) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, readFramebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
    for (const int layer : layers) {
        for (int level = 1, size = kPaintTileTexels; level < levels; ++level, size /= 2) {
            const int smaller = std::max(size / 2, 1);
            glFramebufferTextureLayer(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, layerTexture,
                                      level - 1, layer);
            glFramebufferTextureLayer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, layerTexture,
                                      level, layer);
            glBlitFramebuffer(0, 0, size, size, 0, 0, smaller, smaller, GL_COLOR_BUFFER_BIT,
                              GL_LINEAR);
        }
    }
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
}

void PaintTiles::bakeNew(const std::vector<Projection>& splats, GLuint splatTexture,
                         const kesto::scene::HeightMapObject& terrain,
                         const std::vector<std::unique_ptr<kesto::scene::WallObject>>& walls) {
    const bool sameSplats =
        splats.size() >= bakedSplats.size() &&
        (bakedSplats.empty() || splats[bakedSplats.size() - 1].textureMatrix == lastBaked);
    // The splats were cleared (a new game): their paint goes.
    if (!sameSplats) forget();
    if (splats.size() == bakedSplats.size()) return;
    lastBaked = splats.back().textureMatrix;
    // Without tiles every splat is the splat pass's.
    if (maxLayers == 0) {
        bakedSplats.resize(splats.size(), false);
        return;
    }

    GLint viewport[4], program = 0, previousFramebuffer = 0;
    GLfloat clearColour[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previousFramebuffer);
    const GLboolean culling = glIsEnabled(GL_CULL_FACE);
    const GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
    GLint polygonMode[2] = {GL_FILL, GL_FILL};
    glGetIntegerv(GL_POLYGON_MODE, polygonMode);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glViewport(0, 0, kPaintTileTexels, kPaintTileTexels);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_SCISSOR_TEST);
    glEnable(GL_BLEND);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
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
    glUseProgram(bakeProgram ? bakeProgram->programHandle : 0);
    if (bakeProgram) setUniform(*bakeProgram, "proj_Map", kBakeSplatUnit);

    // In batches, so that the layers of tiles one batch leaves bare serve the next.
    std::set<int> changed;
    while (bakedSplats.size() < splats.size()) {
        const size_t end = std::min(splats.size(), bakedSplats.size() + kSplatsPerBake);
        bakeBatch(splats, end, splatTexture, terrain, walls, changed);
    }
    buildMipmaps(changed);
    findTerrainRuns();

    glBlendEquation(GL_FUNC_ADD);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    if (culling) glEnable(GL_CULL_FACE);
    if (scissor) glEnable(GL_SCISSOR_TEST);
    glPolygonMode(GL_FRONT_AND_BACK, static_cast<GLenum>(polygonMode[0]));
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previousFramebuffer));
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    glUseProgram(static_cast<GLuint>(program));
}
