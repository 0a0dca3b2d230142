#include "render/PaintTiles.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "assets/Texture.h"
#include "game/Projection.h"
#include "platform/Memory.h"
#include "render/Shader.h"
#include "render/paint/SplatCoverage.h"
#include "scene/HeightMapObject.h"
#include "scene/SplatReach.h"
#include "scene/SurfaceGrids.h"
#include "scene/WallObject.h"

namespace {

constexpr GLint kBakeSplatUnit = 1;
// Rounding in the program's coordinates must not reach a tile that was never allocated.
constexpr float kSlack = 0.02f;
constexpr int kTerrainSurface = -1;
// The top's across coordinate, moved so that the thin top lies inside one row of tiles.
constexpr float kTopAcross = 0.5f;

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
    return vec2(local.x * length, local.z + kTopAcross);
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

std::string paintTileDefines(PaintKind kind) {
    const TileTexels& t = kind == PaintKind::Coarse ? kCoarseTexels : kFineTexels;
    auto define = [](const char* name, float value) {
        return std::string("#define ") + name + " " + std::to_string(value) + "\n";
    };
    return std::string("#define PAINTED\n") +
           (kind == PaintKind::Coarse ? "#define PAINT_COARSE\n" : "") +
           define("PAINT_TILE_UNITS", kPaintTileUnits) +
           define("PAINT_INNER", static_cast<float>(t.inner)) +
           define("PAINT_BORDER", static_cast<float>(t.border)) +
           define("PAINT_SLOT", static_cast<float>(t.slot())) +
           define("PAINT_SIDE", static_cast<float>(t.side())) +
           define("PAINT_TEXEL_STEP", static_cast<float>(t.inner) / (kPaintTileUnits * t.side())) +
           "#define PAINT_PER_SIDE " + std::to_string(t.perSide) + "u\n";
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

int PaintTiles::LayerArray::take() {
    if (!spare.empty()) {
        const int slot = spare.back();
        spare.pop_back();
        return slot;
    }
    const int perLayer = texels.perSide * texels.perSide;
    if (highest == capacity * perLayer && !grow()) return -1;
    return highest++;
}

void PaintTiles::LayerArray::give(int slot) { spare.push_back(slot); }

// What the array holds, into a larger one: on the GPU, never through the processor.
void PaintTiles::LayerArray::copyLayers(GLuint from, GLuint to) const {
    const int side = texels.side();
    if (GLEW_ARB_copy_image) {
        for (int level = 0, size = side; level < levels; ++level, size = std::max(size / 2, 1)) {
            glCopyImageSubData(from, GL_TEXTURE_2D_ARRAY, level, 0, 0, 0, to, GL_TEXTURE_2D_ARRAY,
                               level, 0, 0, 0, size, size, capacity);
        }
        return;
    }
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    GLuint copying[2] = {0, 0};
    glGenFramebuffers(2, copying);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, copying[0]);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, copying[1]);
    for (int level = 0, size = side; level < levels; ++level, size = std::max(size / 2, 1)) {
        for (int layer = 0; layer < capacity; ++layer) {
            glFramebufferTextureLayer(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, from, level,
                                      layer);
            glFramebufferTextureLayer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, to, level, layer);
            glBlitFramebuffer(0, 0, size, size, 0, 0, size, size, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        }
    }
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(bound));
    glDeleteFramebuffers(2, copying);
}

// Allocated memory is resident at once (the driver clears it), so the array grows in steps
// rather than doubling; what it holds is copied over.
bool PaintTiles::LayerArray::grow() {
    const int wanted = std::min(capacity + step, most);
    if (wanted <= capacity) return false;
    const int side = texels.side();
    GLuint grown = 0;
    glGenTextures(1, &grown);
    glBindTexture(GL_TEXTURE_2D_ARRAY, grown);
    if (GLEW_ARB_texture_storage) {
        glTexStorage3D(GL_TEXTURE_2D_ARRAY, levels, GL_RGBA8, side, side, wanted);
    } else {
        // Asked for mipmaps first, the driver allocates the whole chain at once.
        glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        for (int level = 0, size = side; level < levels; ++level, size = std::max(size / 2, 1)) {
            glTexImage3D(GL_TEXTURE_2D_ARRAY, level, GL_RGBA8, size, size, wanted, 0, GL_RGBA,
                         GL_UNSIGNED_BYTE, nullptr);
        }
    }
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAX_LEVEL, levels - 1);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D_ARRAY, 0);
    if (capacity) copyLayers(texture, grown);
    glDeleteTextures(1, &texture);
    texture = grown;
    capacity = wanted;
    return true;
}

PaintTiles::PaintTiles(const kesto::scene::SurfaceGrids& grids, int mostFineLayers)
    : pieces(grids.wallLengths.size(), std::vector<WallPiece>(1)),
      wallLengths(grids.wallLengths),
      wallTiles(grids.wallLengths.size(), 0),
      wallFineTiles(grids.wallLengths.size(), 0) {
    const vec2 low = grids.terrainLow, high = grids.terrainHigh;
    // A wall's tiles start where its stones do.
    wallOrigin = grids.wallOrigin;
    terrainOrigin = glm::floor(low / kPaintTileUnits) * kPaintTileUnits;
    const vec2 terrainTiles = glm::floor((high - terrainOrigin) / kPaintTileUnits) + 1.0f;
    // The terrain's cells are a unit square each, one tile each.
    static_assert(kPaintTileUnits == 1.0f, "a terrain cell is one tile");
    cellColumns = grids.cellColumns;
    cellRows = grids.cellRows;
    firstCellColumn = static_cast<int>(low.x - terrainOrigin.x);
    firstCellRow = static_cast<int>(low.y - terrainOrigin.y);
    wallColumns = static_cast<int>(std::ceil(grids.wallExtent.x / kPaintTileUnits)) + 1;
    indexWidth = std::max(static_cast<int>(terrainTiles.x), wallColumns);
    terrainRows = static_cast<int>(terrainTiles.y);
    // Walls side by side in bands as wide as the terrain's tiles, each wall its faces' rows.
    wallsPerBand = std::max(indexWidth / std::max(wallColumns, 1), 1);
    const int bands = (static_cast<int>(wallLengths.size()) + wallsPerBand - 1) / wallsPerBand;
    indexRows = terrainRows + bands * kWallFaces * kWallFaceRows;

    GLint maxSize = 0, arrayLayers = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    glGetIntegerv(GL_MAX_ARRAY_TEXTURE_LAYERS, &arrayLayers);
    // An index too large for the GPU leaves every splat to the splat pass.
    if (indexWidth > maxSize || indexRows > maxSize) return;
    const auto describe = [](LayerArray& array, TileTexels texels, int step, int most) {
        array.texels = texels;
        array.step = step;
        array.most = most;
        for (int size = texels.side(); size > 1; size /= 2) ++array.levels;
    };
    describe(fine, kFineTexels, 128, std::min(mostFineLayers, arrayLayers));
    // Slots are numbered by 16 bits in the index.
    describe(coarse, kCoarseTexels, 16, std::min(arrayLayers, 65535 / 16));
    indexTexels.assign(static_cast<size_t>(indexWidth) * indexRows * 2, 0);
    glGenTextures(1, &indexTexture);
    glBindTexture(GL_TEXTURE_2D, indexTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RG16UI, indexWidth, indexRows, 0, GL_RG_INTEGER,
                 GL_UNSIGNED_SHORT, indexTexels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    glGenFramebuffers(1, &framebuffer);
    glGenFramebuffers(1, &readFramebuffer);
    bakeProgram = std::make_unique<Shader>("Shader/shadowmapping.vert", "Shader/paintBake.frag", "",
                                           true, "#define PAINT_BAKE\n");
    findRuns();
}

PaintTiles::~PaintTiles() {
    glDeleteTextures(1, &fine.texture);
    glDeleteTextures(1, &coarse.texture);
    glDeleteTextures(1, &indexTexture);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteFramebuffers(1, &readFramebuffer);
}

GLuint PaintTiles::layers(PaintKind kind) const {
    return kind == PaintKind::Coarse ? coarse.texture : fine.texture;
}

PaintKind PaintTiles::wallKind(size_t wall) const {
    if (wall >= wallTiles.size() || wallTiles[wall] == 0) return PaintKind::None;
    return wallFineTiles[wall] == wallTiles[wall] ? PaintKind::Fine : PaintKind::Coarse;
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
    return vec4(wallOrigin.x - static_cast<float>(corner.x) * kPaintTileUnits, wallOrigin.y,
                static_cast<float>(corner.y), static_cast<float>(kWallFaceRows));
}

void PaintTiles::writeIndex(const Tile& tile, bool painted) {
    const size_t at = (static_cast<size_t>(tile.row) * indexWidth + tile.column) * 2;
    indexTexels[at] = painted ? static_cast<GLushort>(tile.fine + 1) : 0;
    indexTexels[at + 1] = painted ? static_cast<GLushort>(tile.coarse + 1) : 0;
    glBindTexture(GL_TEXTURE_2D, indexTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, tile.column, tile.row, 1, 1, GL_RG_INTEGER, GL_UNSIGNED_SHORT,
                    &indexTexels[at]);
    glBindTexture(GL_TEXTURE_2D, 0);
    runsStale = true;
}

void PaintTiles::forget() {
    std::fill(indexTexels.begin(), indexTexels.end(), 0);
    if (indexTexture) {
        glBindTexture(GL_TEXTURE_2D, indexTexture);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, indexWidth, indexRows, GL_RG_INTEGER,
                        GL_UNSIGNED_SHORT, indexTexels.data());
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    painted.clear();
    for (LayerArray* array : {&fine, &coarse}) {
        array->highest = 0;
        array->spare.clear();
    }
    changedFine.clear();
    changedCoarse.clear();
    std::fill(wallTiles.begin(), wallTiles.end(), 0);
    std::fill(wallFineTiles.begin(), wallFineTiles.end(), 0);
    bakedSplats.clear();
    runsStale = fineStale = true;
}

void PaintTiles::findRuns() {
    for (auto& list : runs) list.clear();
    for (int r = 0; r < cellRows; ++r) {
        const int row = r + firstCellRow;
        const auto kindAt = [&](int column) {
            const int at = column + firstCellColumn;
            if (row >= terrainRows || at >= indexWidth) return 0;
            const size_t i = (static_cast<size_t>(row) * indexWidth + at) * 2;
            if (indexTexels[i]) return static_cast<int>(PaintKind::Fine);
            return indexTexels[i + 1] ? static_cast<int>(PaintKind::Coarse) : 0;
        };
        int c = 0;
        while (c < cellColumns) {
            const int kind = kindAt(c);
            const int first = c;
            while (c < cellColumns && kindAt(c) == kind) ++c;
            runs[kind].push_back({r, first, c - first});
        }
    }
    for (size_t wall = 0; wall < pieces.size(); ++wall) findWallPieces(wall);
    runsStale = false;
}

void PaintTiles::findWallPieces(size_t wall) {
    std::vector<WallPiece>& list = pieces[wall];
    list.assign(1, WallPiece{});
    const PaintKind kind = wallKind(wall);
    const float length = wallLengths[wall];
    if (kind == PaintKind::None || !(length > 0.0f)) return;
    const glm::ivec2 corner = wallCorner(wall);
    // The rows with paint in a column on the faces standing up, and whether the top has any.
    struct Rows {
        int low = kWallFaceRows, high = -1;
        bool top = false;
        bool any() const { return top || high >= low; }
    };
    const auto rowsOf = [&](int column) {
        Rows rows;
        for (int f = 0; f < kWallFaces; ++f) {
            for (int r = 0; r < kWallFaceRows; ++r) {
                const int row = corner.y + f * kWallFaceRows + r;
                const size_t at = (static_cast<size_t>(row) * indexWidth + corner.x + column) * 2;
                if (!indexTexels[at] && !indexTexels[at + 1]) continue;
                if (kWallFaceList[f].acrossIsUp) {
                    rows.low = std::min(rows.low, r);
                    rows.high = std::max(rows.high, r);
                } else {
                    rows.top = true;
                }
            }
        }
        return rows;
    };
    // The front and back faces' coordinate runs half the wall's thickness ahead of the box's
    // length and behind it; the top's and the ends' lie within.
    const float margin = kWallBoxMax[2] + kSlack;
    const auto along = [&](int column, float by) {
        const float x = wallOrigin.x + static_cast<float>(column) * kPaintTileUnits + by;
        return std::clamp(x / length, 0.0f, 1.0f);
    };
    const float bottom = kWallBoxMin[1], top = kWallBoxMax[1];
    const auto up = [&](int row) {
        return std::clamp(wallOrigin.y + static_cast<float>(row) * kPaintTileUnits, bottom, top);
    };
    // Painted stretches: columns side by side, or near enough to overlap, make one.
    std::vector<WallPiece> painted;
    for (int c = 0; c < wallColumns;) {
        Rows rows = rowsOf(c);
        if (!rows.any()) {
            ++c;
            continue;
        }
        const int first = c;
        for (++c; c < wallColumns; ++c) {
            const Rows next = rowsOf(c);
            if (!next.any()) break;
            rows.low = std::min(rows.low, next.low);
            rows.high = std::max(rows.high, next.high);
            rows.top = rows.top || next.top;
        }
        WallPiece piece{along(first, -margin), along(c, margin), top, bottom, kind};
        if (rows.high >= rows.low) {
            piece.bottom = up(rows.low) - kSlack;
            piece.top = up(rows.high + 1) + kSlack;
        }
        // The top's paint needs the top row under it, or the piece would have no height.
        if (rows.top) {
            piece.bottom = std::min(piece.bottom, up(kWallFaceRows - 1) - kSlack);
            piece.top = top;
        }
        if (!(piece.to > piece.from)) continue;
        if (!painted.empty() && piece.from <= painted.back().to) {
            WallPiece& last = painted.back();
            last.to = piece.to;
            last.bottom = std::min(last.bottom, piece.bottom);
            last.top = std::max(last.top, piece.top);
        } else {
            painted.push_back(piece);
        }
    }
    // Each stretch with its paint, unpainted above and below it, and unpainted between them.
    list.clear();
    float from = 0.0f;
    for (WallPiece piece : painted) {
        piece.bottom = std::max(piece.bottom, bottom);
        piece.top = std::min(piece.top, top);
        if (piece.from > from) list.push_back({from, piece.from, bottom, top, PaintKind::None});
        if (piece.bottom > bottom)
            list.push_back({piece.from, piece.to, bottom, piece.bottom, PaintKind::None});
        if (piece.top < top)
            list.push_back({piece.from, piece.to, piece.top, top, PaintKind::None});
        list.push_back(piece);
        from = piece.to;
    }
    if (from < 1.0f) list.push_back({from, 1.0f, bottom, top, PaintKind::None});
}

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
        const float length = wallLengths[static_cast<size_t>(reached.wall)];
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
            addSpan(tileSpanOf(low, high, wallOrigin, wallColumns, kWallFaceRows), surface,
                    wallOrigin, first);
        }
    }
    return tiles;
}

namespace {

// Points tested along each side of a tile (or of the part of it a thin face covers): the coarse
// paint's texels.
constexpr int kCoverageSamples = kCoarseTexels.inner;

// Whether the splat shows anywhere in the rectangle low .. high of a surface's coordinates,
// whose points pointAt places in the world with their normal.
template <typename PointAt>
bool showsIn(const Projection& splat, const AlphaMask& mask, vec2 low, vec2 high, bool onWall,
             const PointAt& pointAt) {
    if (!(high.x > low.x) || !(high.y > low.y)) return false;
    for (int j = 0; j < kCoverageSamples; ++j) {
        for (int i = 0; i < kCoverageSamples; ++i) {
            const vec2 q =
                low + (vec2(i, j) + 0.5f) / static_cast<float>(kCoverageSamples) * (high - low);
            vec3 world, normal;
            pointAt(q, world, normal);
            if (splatCoverage(mask, splat.textureMatrix, world, normal, onWall) >= kShownCoverage)
                return true;
        }
    }
    return false;
}

// The terrain's own surface at (x, z): its two triangles per cell, split from (c + 1, r) to
// (c, r + 1); up for the normal, since the terrain's facing counts both ways anyway.
vec3 terrainPoint(const kesto::scene::HeightMapObject& terrain, vec2 q) {
    const int c = std::clamp(static_cast<int>(std::floor(q.x)), 0, std::max(terrain.width - 2, 0));
    const int r = std::clamp(static_cast<int>(std::floor(q.y)), 0, std::max(terrain.depth - 2, 0));
    const auto y = [&](int dc, int dr) {
        const int column = std::min(c + dc, terrain.width - 1),
                  row = std::min(r + dr, terrain.depth - 1);
        return terrain.vertices[static_cast<size_t>(row) * terrain.width + column].y;
    };
    const float fx = std::clamp(q.x - c, 0.0f, 1.0f), fz = std::clamp(q.y - r, 0.0f, 1.0f);
    const float height =
        fx + fz <= 1.0f
            ? y(0, 0) + fx * (y(1, 0) - y(0, 0)) + fz * (y(0, 1) - y(0, 0))
            : y(1, 1) + (1.0f - fx) * (y(0, 1) - y(1, 1)) + (1.0f - fz) * (y(1, 0) - y(1, 1));
    return vec3(q.x, height, q.y);
}

}  // namespace

// Whether any of a tile's paint from this splat shows, tested where the bake would paint it: on
// the terrain's cell, or on the part of the wall's face inside the tile.
bool PaintTiles::showsOn(
    const Projection& splat, const PaintedTile& tile, const AlphaMask& mask,
    const kesto::scene::HeightMapObject& terrain,
    const std::vector<std::unique_ptr<kesto::scene::WallObject>>& walls) const {
    const vec2 low = tile.corner, high = tile.corner + kPaintTileUnits;
    if (tile.surface == kTerrainSurface) {
        if (terrain.vertices.empty()) return false;
        return showsIn(splat, mask, low, high, false, [&](vec2 q, vec3& world, vec3& normal) {
            world = terrainPoint(terrain, q);
            normal = vec3(0.0f, 1.0f, 0.0f);
        });
    }
    const size_t w = static_cast<size_t>(tile.surface / kWallFaces);
    const mat4& model = walls[w]->modelMatrix;
    const glm::mat3 normalMatrix = glm::transpose(glm::inverse(glm::mat3(model)));
    const float length = wallLengths[w];
    if (!(length > 0.0f)) return false;
    // Each face as a rectangle of its (along, up) and the box point at a coordinate.
    const auto onFace = [&](vec2 faceLow, vec2 faceHigh, vec3 localNormal, auto toLocal) {
        return showsIn(splat, mask, glm::max(low, faceLow), glm::min(high, faceHigh), true,
                       [&](vec2 q, vec3& world, vec3& normal) {
                           world = vec3(model * vec4(toLocal(q), 1.0f));
                           normal = normalMatrix * localNormal;
                       });
    };
    const float zLow = kWallBoxMin[2], zHigh = kWallBoxMax[2];
    const float bottom = kWallBoxMin[1], top = kWallBoxMax[1];
    switch (tile.surface % kWallFaces) {
    case 0:
    case 1: {
        const float z = tile.surface % kWallFaces == 0 ? zHigh : zLow;
        return onFace(vec2(z, bottom), vec2(length + z, top), vec3(0.0f, 0.0f, z > 0.0f ? 1 : -1),
                      [&](vec2 q) { return vec3((q.x - z) / length, q.y, z); });
    }
    case 2:
        return onFace(vec2(0.0f, zLow + kTopAcross), vec2(length, zHigh + kTopAcross),
                      vec3(0.0f, 1.0f, 0.0f),
                      [&](vec2 q) { return vec3(q.x / length, top, q.y - kTopAcross); });
    default:
        return onFace(vec2(zLow, bottom), vec2(zHigh, top), vec3(-1.0f, 0.0f, 0.0f),
                      [&](vec2 q) { return vec3(0.0f, q.y, q.x); }) ||
               onFace(vec2(length + zLow, bottom), vec2(length + zHigh, top),
                      vec3(1.0f, 0.0f, 0.0f),
                      [&](vec2 q) { return vec3(1.0f, q.y, q.x - length); });
    }
}

// The draws grouped by layer, so the render target changes once per layer, in throw order
// within each.
void PaintTiles::drawAll(std::vector<Draw>& draws, const std::vector<Projection>& splats,
                         const kesto::scene::HeightMapObject& terrain,
                         const std::vector<std::unique_ptr<kesto::scene::WallObject>>& walls) {
    const auto target = [this](const Draw& d) {
        return std::make_pair(d.array == &fine ? 0 : 1, d.array->layerOf(d.slot));
    };
    std::stable_sort(draws.begin(), draws.end(),
                     [&](const Draw& a, const Draw& b) { return target(a) < target(b); });
    const Shader& bake = *bakeProgram;
    LayerArray* attachedArray = nullptr;
    int attachedLayer = -1;
    for (const Draw& d : draws) {
        LayerArray& array = *d.array;
        const int layer = array.layerOf(d.slot);
        if (&array != attachedArray || layer != attachedLayer) {
            glFramebufferTextureLayer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, array.texture, 0,
                                      layer);
            attachedArray = &array;
            attachedLayer = layer;
            (&array == &fine ? changedFine : changedCoarse).insert(layer);
        }
        const TileTexels& t = array.texels;
        const int inLayer = d.slot % (t.perSide * t.perSide);
        const int x = inLayer % t.perSide * t.slot(), y = inLayer / t.perSide * t.slot();
        glViewport(x, y, t.slot(), t.slot());
        if (d.splat < 0) {
            glEnable(GL_SCISSOR_TEST);
            glScissor(x, y, t.slot(), t.slot());
            glClear(GL_COLOR_BUFFER_BIT);
            glDisable(GL_SCISSOR_TEST);
            continue;
        }
        const Tile& tile = *d.tile;
        const Projection& splat = splats[static_cast<size_t>(d.splat)];
        setUniform(bake, "proj_tex_mat", splat.textureMatrix);
        setUniform(bake, "paint_tile", vec4(tile.corner, kPaintTileUnits, 0.0f));
        setUniform(bake, "paint_texels", vec2(t.inner, t.border));
        setUniform(bake, "paint_steepness", &array == &fine ? 8.0f : 1.0f);
        if (tile.surface == kTerrainSurface) {
            setUniform(bake, "paint_face", 0.0f);
            setUniform(bake, "M", terrain.modelMatrix);
            terrain.drawRuns(splat.terrainRuns);
            continue;
        }
        setUniform(bake, "paint_face", static_cast<float>(tile.surface % kWallFaces));
        kesto::scene::WallObject& wall = *walls[static_cast<size_t>(tile.surface / kWallFaces)];
        setUniform(bake, "M", wall.modelMatrix);
        wall.draw();
    }
    draws.clear();
}

void PaintTiles::bakeNew(const std::vector<Projection>& splats, const AlphaMask& mask,
                         const kesto::scene::HeightMapObject& terrain,
                         const std::vector<std::unique_ptr<kesto::scene::WallObject>>& walls) {
    std::vector<Draw> draws;
    for (size_t i = bakedSplats.size(); i < splats.size(); ++i) {
        const Projection& splat = splats[i];
        std::vector<PaintedTile> tiles;
        if (splat.reachKnown) tiles = tilesOf(splat, walls);
        // The projector's square reaches tiles its splat leaves bare: those are not taken.
        tiles.erase(std::remove_if(tiles.begin(), tiles.end(),
                                   [&](const PaintedTile& t) {
                                       return painted.count(t.row * indexWidth + t.column) == 0 &&
                                              !showsOn(splat, t, mask, terrain, walls);
                                   }),
                    tiles.end());
        int needed = 0;
        for (const PaintedTile& t : tiles)
            needed += painted.count(t.row * indexWidth + t.column) == 0;
        const int perLayer = kCoarseTexels.perSide * kCoarseTexels.perSide;
        const int room =
            coarse.most * perLayer - coarse.highest + static_cast<int>(coarse.spare.size());
        if (!splat.reachKnown || needed > room) {
            bakedSplats.push_back(false);
            continue;
        }
        for (const PaintedTile& t : tiles) {
            const int key = t.row * indexWidth + t.column;
            auto [found, isNew] = painted.try_emplace(key);
            Tile& tile = found->second;
            if (isNew) {
                tile.column = t.column;
                tile.row = t.row;
                tile.surface = t.surface;
                tile.corner = t.corner;
                tile.coarse = coarse.take();
                // The fine paint tells best whether any paint shows: new tiles have it if
                // there is room.
                tile.fine = fine.take();
                draws.push_back({&coarse, tile.coarse, -1, &tile});
                if (tile.fine >= 0) draws.push_back({&fine, tile.fine, -1, &tile});
                if (t.surface != kTerrainSurface) {
                    const size_t wall = static_cast<size_t>(t.surface / kWallFaces);
                    ++wallTiles[wall];
                    if (tile.fine >= 0) ++wallFineTiles[wall];
                }
                writeIndex(tile, true);
            }
            tile.splats.push_back(static_cast<int>(i));
            draws.push_back({&coarse, tile.coarse, static_cast<int>(i), &tile});
            if (tile.fine >= 0) draws.push_back({&fine, tile.fine, static_cast<int>(i), &tile});
        }
        bakedSplats.push_back(true);
    }
    if (draws.empty()) return;
    drawAll(draws, splats, terrain, walls);
    fineStale = true;
}

// The tiles nearest the camera that lack their fine paint get it, taken from the farthest if
// need be; the draws that bake it.
std::vector<PaintTiles::Draw> PaintTiles::refine(
    vec3 camera, const std::vector<std::unique_ptr<kesto::scene::WallObject>>& walls) {
    std::vector<Draw> draws;
    if (painted.empty() || (!fineStale && glm::distance(camera, lastLook) < 0.25f)) return draws;
    fineStale = false;
    lastLook = camera;
    const vec2 eye(camera.x, camera.z);
    std::vector<float> wallDistance(walls.size());
    for (size_t w = 0; w < walls.size(); ++w) {
        const vec2 a = walls[w]->start, b = walls[w]->end;
        // A wall of no length is never painted; its distance is its start's.
        const float along = a != b ? nearestOnSegment(eye, a, b) : 0.0f;
        wallDistance[w] = glm::distance(eye, a + along * (b - a));
    }
    std::vector<Tile*> wanted, held;
    for (auto& [key, tile] : painted) {
        tile.distance = tile.surface == kTerrainSurface
                            ? glm::distance(eye, tile.corner + 0.5f * kPaintTileUnits)
                            : wallDistance[static_cast<size_t>(tile.surface / kWallFaces)];
        if (tile.fine >= 0)
            held.push_back(&tile);
        else if (tile.distance <= kFinePaintReach)
            wanted.push_back(&tile);
    }
    const auto nearer = [](const Tile* a, const Tile* b) { return a->distance < b->distance; };
    std::sort(wanted.begin(), wanted.end(), nearer);
    std::sort(held.begin(), held.end(), nearer);
    for (Tile* tile : wanted) {
        int slot = fine.take();
        if (slot < 0) {
            // The farthest fine tile makes room, if it is farther than this one.
            if (held.empty() || held.back()->distance <= tile->distance) break;
            Tile& farthest = *held.back();
            held.pop_back();
            slot = farthest.fine;
            farthest.fine = -1;
            if (farthest.surface != kTerrainSurface)
                --wallFineTiles[static_cast<size_t>(farthest.surface / kWallFaces)];
            writeIndex(farthest, true);
        }
        tile->fine = slot;
        if (tile->surface != kTerrainSurface)
            ++wallFineTiles[static_cast<size_t>(tile->surface / kWallFaces)];
        writeIndex(*tile, true);
        draws.push_back({&fine, slot, -1, tile});
        for (const int splat : tile->splats) draws.push_back({&fine, slot, splat, tile});
    }
    return draws;
}

// Each smaller level from the one above, for the layers given only.
void PaintTiles::buildMipmaps(LayerArray& array, const std::set<int>& layers) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, readFramebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, framebuffer);
    for (const int layer : layers) {
        for (int level = 1, size = array.texels.side(); level < array.levels; ++level) {
            const int smaller = std::max(size / 2, 1);
            glFramebufferTextureLayer(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, array.texture,
                                      level - 1, layer);
            glFramebufferTextureLayer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, array.texture,
                                      level, layer);
            glBlitFramebuffer(0, 0, size, size, 0, 0, smaller, smaller, GL_COLOR_BUFFER_BIT,
                              GL_LINEAR);
            size = smaller;
        }
    }
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
}

namespace {

// The GL state the bake draws with, for as long as it lives; what the frame had before comes
// back when it goes.
class BakeState {
public:
    BakeState(GLuint framebuffer, const Shader& program, const Texture* splatImage) {
        glGetIntegerv(GL_VIEWPORT, viewport);
        glGetIntegerv(GL_CURRENT_PROGRAM, &previousProgram);
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previousFramebuffer);
        glGetIntegerv(GL_POLYGON_MODE, polygonMode);
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
        culling = glIsEnabled(GL_CULL_FACE);
        scissor = glIsEnabled(GL_SCISSOR_TEST);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
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
        glBindTexture(GL_TEXTURE_2D, splatImage ? splatImage->textureName : 0);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        // The fine tiles' texels are about as dense as the image's where it lands.
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glActiveTexture(GL_TEXTURE0);
        glUseProgram(program.programHandle);
        setUniform(program, "proj_Map", kBakeSplatUnit);
    }
    ~BakeState() {
        glBlendEquation(GL_FUNC_ADD);
        glDisable(GL_BLEND);
        glEnable(GL_DEPTH_TEST);
        if (culling) glEnable(GL_CULL_FACE);
        if (scissor) glEnable(GL_SCISSOR_TEST);
        glPolygonMode(GL_FRONT_AND_BACK, static_cast<GLenum>(polygonMode[0]));
        glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(previousFramebuffer));
        glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
        glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
        glUseProgram(static_cast<GLuint>(previousProgram));
    }
    BakeState(const BakeState&) = delete;
    BakeState& operator=(const BakeState&) = delete;

private:
    GLint viewport[4] = {0, 0, 0, 0}, previousProgram = 0, previousFramebuffer = 0;
    GLint polygonMode[2] = {GL_FILL, GL_FILL};
    GLfloat clearColour[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    GLboolean culling = GL_FALSE, scissor = GL_FALSE;
};

}  // namespace

void PaintTiles::update(const std::vector<Projection>& splats, vec3 camera,
                        const Texture* splatImage, const kesto::scene::HeightMapObject& terrain,
                        const std::vector<std::unique_ptr<kesto::scene::WallObject>>& walls) {
    const bool sameSplats =
        splats.size() >= bakedSplats.size() &&
        (bakedSplats.empty() || splats[bakedSplats.size() - 1].textureMatrix == lastBaked);
    // The splats were cleared (a new game): their paint goes.
    if (!sameSplats) forget();
    if (!splats.empty()) lastBaked = splats.back().textureMatrix;
    // Without tiles every splat is the splat pass's.
    if (!bakeProgram) {
        bakedSplats.resize(splats.size(), false);
        return;
    }
    const bool newSplats = splats.size() > bakedSplats.size();
    // Switching the render target costs a flush: only when there is paint to bake.
    std::vector<Draw> draws;
    if (!newSplats) draws = refine(camera, walls);
    if (!newSplats && draws.empty()) {
        if (runsStale) findRuns();
        return;
    }
    {
        const BakeState state(framebuffer, *bakeProgram, splatImage);
        static const AlphaMask kNoMask;
        bakeNew(splats, splatImage ? splatImage->mask : kNoMask, terrain, walls);
        if (newSplats) draws = refine(camera, walls);
        drawAll(draws, splats, terrain, walls);
        buildMipmaps(fine, changedFine);
        buildMipmaps(coarse, changedCoarse);
        changedFine.clear();
        changedCoarse.clear();
    }
    if (runsStale) findRuns();
    returnFreedMemory();
}
