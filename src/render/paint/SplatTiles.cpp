#include "render/paint/SplatTiles.h"

#include <algorithm>
#include <cmath>

#include "game/Projection.h"
#include "render/paint/SplatCoverage.h"
#include "scene/HeightMapObject.h"
#include "scene/WallObject.h"

namespace {

// Rounding in the program's normals must not lose a face that takes paint.
constexpr float kSlack = 0.02f;
// Points judged along each side of a tile (or of the part of it a thin face covers): the
// coarse paint's texels.
constexpr int kCoverageSamples = kCoarseTexels.inner;

// A face's normal in the wall's own space; the ends are the two x faces.
vec3 faceNormal(int face) {
    switch (face) {
    case kFrontFace: return vec3(0.0f, 0.0f, 1.0f);
    case kBackFace: return vec3(0.0f, 0.0f, -1.0f);
    case kTopFace: return vec3(0.0f, 1.0f, 0.0f);
    default: return vec3(1.0f, 0.0f, 0.0f);
    }
}

bool facesProjector(const mat4& model, vec3 localNormal, vec3 forward) {
    const glm::mat3 normalMatrix = glm::transpose(glm::inverse(glm::mat3(model)));
    const vec3 normal = glm::normalize(normalMatrix * localNormal);
    return -glm::dot(normal, forward) > kLeastPaintedFacing - kSlack;
}

void addSpan(std::vector<PaintedTile>& tiles, const TileSpan& span, int surface, vec2 origin,
             TileEntry first) {
    for (int r = span.row; r <= span.lastRow; ++r) {
        for (int c = span.column; c <= span.lastColumn; ++c) {
            const vec2 corner = origin + vec2(c, r) * kPaintTileUnits;
            tiles.push_back({{first.column + c, first.row + r}, surface, corner});
        }
    }
}

// The tiles of each face of the wall the projector looks at, under the hull of its reach.
void addWallTiles(std::vector<PaintedTile>& tiles, const SplatSurface& reached, vec3 forward,
                  const PageTable& table, const PaintSurfaces& surfaces) {
    const size_t w = static_cast<size_t>(reached.wall);
    const mat4& model = surfaces.walls[w]->modelMatrix;
    const mat4 toLocal = glm::inverse(model);
    for (int face = 0; face < kWallFaces; ++face) {
        if (!facesProjector(model, faceNormal(face), forward) &&
            !(face == kEndFaces && facesProjector(model, -faceNormal(face), forward))) {
            continue;
        }
        vec2 low(INFINITY), high(-INFINITY);
        for (const vec3& p : reached.hull) {
            const vec3 local(toLocal * vec4(p, 1.0f));
            const vec2 q = faceCoordinate(local, surfaces.grids.wallLengths[w], face);
            low = glm::min(low, q);
            high = glm::max(high, q);
        }
        TileEntry first = table.wallCorner(w);
        first.row += face * kWallFaceRows;
        addSpan(tiles,
                tileSpanOf(low, high, table.wallOrigin(), table.wallColumns(), kWallFaceRows),
                wallSurface(w, face), table.wallOrigin(), first);
    }
}

// Whether the splat shows anywhere in the rectangle low .. high of a surface's coordinates,
// whose points pointAt places in the world with their normal.
template <typename PointAt>
bool showsIn(const Projection& splat, const AlphaMask& mask, vec2 low, vec2 high, bool onWall,
             const PointAt& pointAt) {
    if (!(high.x > low.x) || !(high.y > low.y)) return false;
    const vec2 step = (high - low) / static_cast<float>(kCoverageSamples);
    for (int j = 0; j < kCoverageSamples; ++j) {
        for (int i = 0; i < kCoverageSamples; ++i) {
            vec3 world, normal;
            pointAt(low + (vec2(i, j) + 0.5f) * step, world, normal);
            if (splatCoverage(mask, splat.textureMatrix, world, normal, onWall) >= kShownCoverage)
                return true;
        }
    }
    return false;
}

// Each part of a wall face inside the tile as a rectangle of its coordinates and the box point
// at a coordinate.
bool showsOnWall(const Projection& splat, const PaintedTile& tile, const AlphaMask& mask,
                 const PaintSurfaces& surfaces) {
    const size_t w = wallOfSurface(tile.surface);
    const float length = surfaces.grids.wallLengths[w];
    if (!(length > 0.0f)) return false;
    const mat4& model = surfaces.walls[w]->modelMatrix;
    const glm::mat3 normalMatrix = glm::transpose(glm::inverse(glm::mat3(model)));
    const vec2 low = tile.corner, high = tile.corner + kPaintTileUnits;
    const auto onFace = [&](vec2 faceLow, vec2 faceHigh, vec3 localNormal, auto toLocal) {
        return showsIn(splat, mask, glm::max(low, faceLow), glm::min(high, faceHigh), true,
                       [&](vec2 q, vec3& world, vec3& normal) {
                           world = vec3(model * vec4(toLocal(q), 1.0f));
                           normal = normalMatrix * localNormal;
                       });
    };
    const float zLow = kWallBoxMin[2], zHigh = kWallBoxMax[2];
    const float bottom = kWallBoxMin[1], top = kWallBoxMax[1];
    const int face = faceOfSurface(tile.surface);
    if (face == kFrontFace || face == kBackFace) {
        const float z = face == kFrontFace ? zHigh : zLow;
        return onFace(vec2(z, bottom), vec2(length + z, top), faceNormal(face),
                      [&](vec2 q) { return vec3((q.x - z) / length, q.y, z); });
    }
    if (face == kTopFace) {
        return onFace(vec2(0.0f, zLow + kTopAcross), vec2(length, zHigh + kTopAcross),
                      faceNormal(face),
                      [&](vec2 q) { return vec3(q.x / length, top, q.y - kTopAcross); });
    }
    return onFace(vec2(zLow, bottom), vec2(zHigh, top), -faceNormal(face),
                  [&](vec2 q) { return vec3(0.0f, q.y, q.x); }) ||
           onFace(vec2(length + zLow, bottom), vec2(length + zHigh, top), faceNormal(face),
                  [&](vec2 q) { return vec3(1.0f, q.y, q.x - length); });
}

}  // namespace

std::vector<PaintedTile> tilesReachedBy(const Projection& splat, const PageTable& table,
                                        const PaintSurfaces& surfaces) {
    std::vector<PaintedTile> tiles;
    if (!splat.reachKnown) return tiles;
    if (splat.onTerrain && !splat.terrainRuns.empty()) {
        const GroundBox box = groundBoxOf(splat.terrainReach.hull);
        addSpan(tiles,
                tileSpanOf(box.min, box.max, table.terrainOrigin(), table.terrainColumns(),
                           table.terrainRows()),
                kTerrainSurface, table.terrainOrigin(), TileEntry{});
    }
    const mat4& m = splat.textureMatrix;
    const vec3 forward = glm::normalize(vec3(m[0][3], m[1][3], m[2][3]));
    for (const SplatSurface& reached : splat.reachedWalls) {
        if (reached.wall >= 0 && surfaces.grids.onGrid(static_cast<size_t>(reached.wall)))
            addWallTiles(tiles, reached, forward, table, surfaces);
    }
    return tiles;
}

bool splatShowsOn(const Projection& splat, const PaintedTile& tile, const AlphaMask& mask,
                  const PaintSurfaces& surfaces) {
    if (tile.surface != kTerrainSurface) return showsOnWall(splat, tile, mask, surfaces);
    if (surfaces.terrain.vertices.empty()) return false;
    // The terrain's normals vary within a cell: judged as if it faced the projector squarely,
    // a tile is kept wherever the splat could show.
    const mat4& m = splat.textureMatrix;
    const vec3 towardProjector = -vec3(m[0][3], m[1][3], m[2][3]);
    return showsIn(splat, mask, tile.corner, tile.corner + kPaintTileUnits, false,
                   [&](vec2 q, vec3& world, vec3& normal) {
                       world = vec3(q.x, surfaces.terrain.surfaceHeight(q.x, q.y), q.y);
                       normal = towardProjector;
                   });
}
