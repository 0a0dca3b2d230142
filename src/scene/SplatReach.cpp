#include "scene/SplatReach.h"

#include <algorithm>
#include <cmath>

#include "scene/HeightMapObject.h"
#include "scene/WallObject.h"

namespace {

// Rounding in a fragment's interpolated coordinates must never fall outside what we keep.
constexpr float kSlack = 0.05f;
// Below this facing no surface can take paint, with room for rounding in the normals.
constexpr float kFacingCutoff = kLeastPaintedFacing - 0.02f;

GroundBox grown(GroundBox box, float by) {
    box.min -= vec2(by);
    box.max += vec2(by);
    return box;
}

// The cells k (covering k to k + 1) overlapping [low, high], clamped to 0 .. last; empty when
// from > to. In double and clamped before converting, so a box far off the grid cannot overflow.
void cellRange(float low, float high, int last, int& from, int& to) {
    const double a = std::max(0.0, std::ceil(static_cast<double>(low) - 1.0));
    const double b = std::min(static_cast<double>(last), std::floor(static_cast<double>(high)));
    if (!(a <= b)) {
        from = 1;
        to = 0;
        return;
    }
    from = static_cast<int>(a);
    to = static_cast<int>(b);
}

// Lowest and highest terrain vertex around the cells of the span.
void heightRange(const kesto::scene::HeightMapObject& terrain, const TerrainSpan& span, float& low,
                 float& high) {
    low = INFINITY;
    high = -INFINITY;
    for (int r = span.row; r <= span.row + span.rows; ++r) {
        for (int c = span.column; c <= span.column + span.columns; ++c) {
            const float y = terrain.vertices[static_cast<size_t>(r) * terrain.width + c].y;
            low = std::min(low, y);
            high = std::max(high, y);
        }
    }
}

// The part of the volume where a wall can take paint: on each face the projector sees squarely
// enough, as the program judges it from the face's world normal.
std::vector<vec3> wallHull(const std::vector<vec3>& volume, const kesto::scene::WallObject& wall,
                           vec3 forward) {
    const mat4& model = wall.modelMatrix;
    const glm::mat3 normalMatrix = glm::transpose(glm::inverse(glm::mat3(model)));
    const vec3 low(kWallBoxMin[0], kWallBoxMin[1], kWallBoxMin[2]);
    const vec3 high(kWallBoxMax[0], kWallBoxMax[1], kWallBoxMax[2]);
    const vec3 centre = (low + high) * 0.5f;
    std::vector<vec3> hull;
    for (int axis = 0; axis < 3; ++axis) {
        for (float sign : {-1.0f, 1.0f}) {
            vec3 faceNormal(0.0f);
            faceNormal[axis] = sign;
            const vec3 normal = glm::normalize(normalMatrix * faceNormal);
            if (!(-glm::dot(normal, forward) > kFacingCutoff)) continue;
            vec3 onFace = centre;
            onFace[axis] = sign < 0.0f ? low[axis] : high[axis];
            const float plane = glm::dot(normal, vec3(model * vec4(onFace, 1.0f)));
            const std::vector<vec3> part =
                clipToSlab(volume, normal, plane - kSlack, plane + kSlack);
            hull.insert(hull.end(), part.begin(), part.end());
        }
    }
    // Nothing of the wall lies beyond its two ends.
    const vec2 along = wall.end - wall.start;
    const float length = std::sqrt(glm::dot(along, along));
    if (hull.empty() || !(length > 0.0f)) return hull;
    const vec3 direction(along.x / length, 0.0f, along.y / length);
    const float start = glm::dot(direction, vec3(wall.start.x, 0.0f, wall.start.y));
    return clipToSlab(hull, direction, start - kSlack, start + length + kSlack);
}

// Whether any terrain normal in the span can face the projector squarely enough. A vertex
// normal sums the normals of the triangles around it, and the program interpolates those, so
// every normal it sees lies within the steepest of these triangles' tilt from straight up.
bool terrainCanTakePaint(const kesto::scene::HeightMapObject& terrain, const TerrainSpan& span,
                         vec3 forward) {
    const int width = terrain.width;
    auto at = [&terrain, width](int c, int r) {
        return terrain.vertices[static_cast<size_t>(r) * width + c];
    };
    float leastUp = 1.0f;
    const int lastRow = terrain.depth - 2, lastColumn = width - 2;
    for (int k = std::max(span.row - 1, 0); k <= std::min(span.row + span.rows, lastRow); ++k) {
        for (int c = std::max(span.column - 1, 0);
             c <= std::min(span.column + span.columns, lastColumn); ++c) {
            const vec3 a = at(c, k), b = at(c + 1, k), d = at(c, k + 1), e = at(c + 1, k + 1);
            for (vec3 n : {glm::cross(a - b, d - b), glm::cross(d - b, e - b)}) {
                const float length = glm::length(n);
                if (length > 0.0f) leastUp = std::min(leastUp, std::abs(n.y) / length);
            }
        }
    }
    const float tilt = std::acos(std::clamp(leastUp, 0.0f, 1.0f));
    const float offAxis = std::acos(std::clamp(std::abs(forward.y), 0.0f, 1.0f));
    return std::cos(std::max(0.0f, offAxis - tilt)) > kFacingCutoff;
}

}  // namespace

bool paintedCornersOf(const mat4& textureMatrix, std::array<vec3, 8>& corners) {
    // The image coordinates u = x / w and v = y / w and the distance w are affine in the world
    // position, so a world point follows from (u w, v w, w) through rows 0, 1 and 3.
    const int rows[3] = {0, 1, 3};
    glm::dmat3 a(0.0);
    glm::dvec3 offset(0.0);
    for (int i = 0; i < 3; ++i) {
        for (int c = 0; c < 3; ++c) a[c][i] = textureMatrix[c][rows[i]];
        offset[i] = textureMatrix[3][rows[i]];
    }
    const double determinant = glm::determinant(a);
    if (!std::isfinite(determinant) || std::abs(determinant) < 1e-12) return false;
    const glm::dmat3 inverse = glm::inverse(a);

    size_t n = 0;
    for (double w : {static_cast<double>(kNearestPainted), static_cast<double>(kFarthestPainted)}) {
        for (double u : {0.0, 1.0}) {
            for (double v : {0.0, 1.0}) {
                const glm::dvec3 p = inverse * (glm::dvec3(u * w, v * w, w) - offset);
                if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return false;
                corners[n++] = vec3(p);
            }
        }
    }
    return true;
}

std::vector<vec3> clipToSlab(const std::vector<vec3>& points, vec3 normal, float low, float high) {
    // The corners of the clipped hull are its points inside the slab and the places where the
    // hull's edges cross the two planes. Every edge joins two of the points, so crossing every
    // pair finds them all; pairs that are no edge cross inside the hull and add nothing to it.
    std::vector<vec3> inside;
    std::vector<float> along(points.size());
    for (size_t i = 0; i < points.size(); ++i) {
        along[i] = glm::dot(normal, points[i]);
        if (along[i] >= low && along[i] <= high) inside.push_back(points[i]);
    }
    for (size_t i = 0; i < points.size(); ++i) {
        for (size_t j = i + 1; j < points.size(); ++j) {
            for (float plane : {low, high}) {
                const float a = along[i] - plane, b = along[j] - plane;
                if (!((a < 0.0f && b > 0.0f) || (a > 0.0f && b < 0.0f))) continue;
                inside.push_back(points[i] + (points[j] - points[i]) * (a / (a - b)));
            }
        }
    }
    return inside;
}

GroundBox groundBoxOf(const std::vector<vec3>& points) {
    GroundBox box{vec2(INFINITY), vec2(-INFINITY)};
    for (const vec3& p : points) {
        box.min = glm::min(box.min, vec2(p.x, p.z));
        box.max = glm::max(box.max, vec2(p.x, p.z));
    }
    return box;
}

bool segmentMeetsBox(vec2 a, vec2 b, const GroundBox& box) {
    if (std::max(a.x, b.x) < box.min.x || std::min(a.x, b.x) > box.max.x) return false;
    if (std::max(a.y, b.y) < box.min.y || std::min(a.y, b.y) > box.max.y) return false;
    // The box's extent along the segment's own normal must reach the segment's line.
    const vec2 normal(a.y - b.y, b.x - a.x);
    const float line = glm::dot(normal, a);
    bool below = false, above = false;
    for (vec2 corner : {box.min, box.max, vec2(box.min.x, box.max.y), vec2(box.max.x, box.min.y)}) {
        const float side = glm::dot(normal, corner) - line;
        below = below || side <= 0.0f;
        above = above || side >= 0.0f;
    }
    return below && above;
}

TerrainSpan terrainSpanOf(const GroundBox& box, int width, int depth) {
    TerrainSpan span;
    if (width < 2 || depth < 2) return span;
    int row0 = 0, row1 = 0, column0 = 0, column1 = 0;
    cellRange(box.min.y, box.max.y, depth - 2, row0, row1);
    cellRange(box.min.x, box.max.x, width - 2, column0, column1);
    if (row0 > row1 || column0 > column1) return span;
    span.row = row0;
    span.rows = row1 - row0 + 1;
    span.column = column0;
    span.columns = column1 - column0 + 1;
    return span;
}

void findSplatReach(SplatReach& splat, const mat4& textureMatrix,
                    const std::vector<std::unique_ptr<kesto::scene::WallObject>>& walls,
                    const kesto::scene::HeightMapObject& terrain) {
    splat.reachKnown = false;
    splat.reachedWalls.clear();
    splat.terrainReach = SplatSurface{};
    splat.terrainRuns.clear();
    std::array<vec3, 8> corners;
    if (!paintedCornersOf(textureMatrix, corners)) return;
    // Cells are found in grid coordinates, which are world coordinates only for the identity.
    if (terrain.modelMatrix != mat4(1.0f)) return;
    const std::vector<vec3> volume(corners.begin(), corners.end());
    const GroundBox painted = groundBoxOf(volume);

    // The program's own idea of the projector's axis: the gradient of the distance along it.
    const vec3 forward =
        glm::normalize(vec3(textureMatrix[0][3], textureMatrix[1][3], textureMatrix[2][3]));

    const GroundBox wallBox = grown(painted, kSlack + kWallBoxMax[2]);
    for (size_t i = 0; i < walls.size(); ++i) {
        if (!segmentMeetsBox(walls[i]->start, walls[i]->end, wallBox)) continue;
        SplatSurface surface{static_cast<int>(i), wallHull(volume, *walls[i], forward)};
        if (!surface.hull.empty()) splat.reachedWalls.push_back(std::move(surface));
    }

    // The cells under the volume, then again under the part of it between their lowest and
    // highest point, which is where the ground can be.
    TerrainSpan span = terrainSpanOf(grown(painted, kSlack), terrain.width, terrain.depth);
    std::vector<vec3> hull;
    for (int pass = 0; pass < 2 && span.rows > 0 && span.columns > 0; ++pass) {
        float low = 0.0f, high = 0.0f;
        heightRange(terrain, span, low, high);
        hull = clipToSlab(volume, vec3(0.0f, 1.0f, 0.0f), low - kSlack, high + kSlack);
        if (hull.empty()) break;
        span = terrainSpanOf(grown(groundBoxOf(hull), kSlack), terrain.width, terrain.depth);
    }
    if (hull.empty() || span.rows == 0 || span.columns == 0 ||
        !terrainCanTakePaint(terrain, span, forward)) {
        splat.reachKnown = true;
        return;
    }
    // Row by row, only the cells under the part of the hull above that row.
    for (int row = span.row; row < span.row + span.rows; ++row) {
        const std::vector<vec3> band =
            clipToSlab(hull, vec3(0.0f, 0.0f, 1.0f), static_cast<float>(row) - kSlack,
                       static_cast<float>(row + 1) + kSlack);
        if (band.empty()) continue;
        const GroundBox box = grown(groundBoxOf(band), kSlack);
        int from = 0, to = 0;
        cellRange(box.min.x, box.max.x, terrain.width - 2, from, to);
        from = std::max(from, span.column);
        to = std::min(to, span.column + span.columns - 1);
        if (from <= to) splat.terrainRuns.push_back({row, from, to - from + 1});
    }
    if (!splat.terrainRuns.empty()) splat.terrainReach.hull = std::move(hull);
    splat.reachKnown = true;
}
