// A splat's reach: what its paint can land on, worked out once when the splat is added, so
// that the splat pass draws for each splat only the walls and the terrain cells near it, each
// only over the part of the screen where its paint can show, instead of every visible wall and
// the whole terrain over the whole screen. The picture stays the same: everything left out lies
// where the projective-texturing program would discard every fragment anyway.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "Math.h"
#include "scene/HeightMapObject.h"
#include "scene/WallBox.h"

namespace kesto::scene {
class WallObject;
}  // namespace kesto::scene
using kesto::scene::TerrainRun;

// How far along its axis a projector paints (the shaders take these from here, through
// render/ShaderContracts.h; it stands 4 units in front of the hit point).
constexpr float kNearestPainted = 1.0f;
constexpr float kFarthestPainted = 5.5f;
// Surfaces the projector sees at a glancing angle get no paint: none where the cosine between
// the surface's normal and the projector's axis is this or less.
constexpr float kLeastPaintedFacing = 0.2f;
// From this facing on the paint is laid at full strength.
constexpr float kFullyPaintedFacing = 0.45f;

// The corners of the painted volume, the splat image's square cone between the two distances;
// false when the matrix is not a projector's.
bool paintedCornersOf(const mat4& textureMatrix, std::array<vec3, 8>& corners);

// The part of the convex hull of points between the planes dot(normal, p) = low and = high, as
// points with that hull; empty when nothing of it lies there.
std::vector<vec3> clipToSlab(const std::vector<vec3>& points, vec3 normal, float low, float high);

// An axis-aligned box in the ground plane: x, and z in the second component.
struct GroundBox {
    vec2 min{0.0f};
    vec2 max{0.0f};
};
GroundBox groundBoxOf(const std::vector<vec3>& points);

// The segment from a to b meets the box; touching counts.
bool segmentMeetsBox(vec2 a, vec2 b, const GroundBox& box);

// The terrain cells a box overlaps on a grid of width x depth vertices: cell (column c, row k)
// lies between x = c .. c + 1 and z = k .. k + 1. rows or columns 0 when none.
struct TerrainSpan {
    int row = 0;
    int rows = 0;
    int column = 0;
    int columns = 0;
};
TerrainSpan terrainSpanOf(const GroundBox& box, int width, int depth);

// A surface a splat's paint can reach: a wall (its index in the game's walls) or the terrain
// (-1), with points whose convex hull holds every point of that surface the paint can land on.
struct SplatSurface {
    int wall = -1;
    std::vector<vec3> hull;
};

// Where one splat's paint can land: the walls it can reach and the terrain cells under it. The
// splat pass draws only those, each only where its hull shows on the screen. A splat without it
// (reachKnown false) paints over every wall and the whole terrain.
struct SplatReach {
    bool reachKnown = false;
    std::vector<SplatSurface> reachedWalls;
    SplatSurface terrainReach;
    std::vector<TerrainRun> terrainRuns;
};

// Fills splat's reach from the projector's texture matrix. Walls are taken by index, so the
// list of walls must not change afterwards (it is fixed once the game is set up).
void findSplatReach(SplatReach& splat, const mat4& textureMatrix,
                    const std::vector<std::unique_ptr<kesto::scene::WallObject>>& walls,
                    const kesto::scene::HeightMapObject& terrain);
