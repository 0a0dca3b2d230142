#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "scene/HeightMapObject.h"

using kesto::scene::gridCellHeight;
using kesto::scene::gridHeightAt;
using kesto::scene::gridSurfaceHeight;

namespace {

// 7 x 6 vertices, every one different, so a query's answer tells which vertices it read.
struct Grid {
    static constexpr int kWidth = 7, kDepth = 6;
    std::vector<vec3> vertices;
    Grid() {
        for (int r = 0; r < kDepth; ++r)
            for (int c = 0; c < kWidth; ++c)
                vertices.emplace_back(c, ((c * 7 + r * 13) % 11) + 0.25f * c, r);
    }
    // The vertex a query may reach, with its column and row clamped into the grid.
    float at(int c, int r) const {
        return vertices[std::clamp(r, 0, kDepth - 1) * kWidth + std::clamp(c, 0, kWidth - 1)].y;
    }
    float cell(float x, float z) const { return gridCellHeight(vertices, kWidth, kDepth, x, z); }
    float smooth(float x, float z) const { return gridHeightAt(vertices, kWidth, kDepth, x, z); }
    float surface(float x, float z) const {
        return gridSurfaceHeight(vertices, kWidth, kDepth, x, z);
    }
};

const float kInf = std::numeric_limits<float>::infinity(), kNan = std::nanf("");

}  // namespace

TEST(HeightQueries, CellHeightTruncatesTowardZeroAndClamps) {
    const Grid g;
    const struct {
        float x, z;
        int c, r;
    } cases[] = {{2.9f, 1.2f, 2, 1},    {-5.0f, 3.7f, 0, 3}, {5.999f, 4.999f, 5, 4},
                 {1e30f, -1e30f, 6, 0}, {kInf, 1.0f, 6, 1},  {kNan, 1.0f, 0, 1}};
    for (const auto& q : cases) EXPECT_EQ(g.cell(q.x, q.z), g.at(q.c, q.r)) << q.x << ", " << q.z;
}

// At the middle of a cell the height is the plain mean of the 16 vertices from column c - 1 to
// c + 2 and row r - 1 to r + 2, clamped into the grid. Negative coordinates are floored, not
// truncated (which would give negative weights), and far outside only the edge is read.
TEST(HeightQueries, HeightAtHalfCellIsMeanOfSixteenClamped) {
    const Grid g;
    const struct {
        float x, z;
        int c, r;
    } cases[] = {{2.5f, 2.5f, 2, 2},   {0.5f, 0.5f, 0, 0},   {5.5f, 4.5f, 5, 4},
                 {-0.5f, 2.5f, -1, 2}, {1e30f, 2.5f, 99, 2}, {-1e30f, -1e30f, -99, -99}};
    for (const auto& q : cases) {
        float sum = 0.0f;
        for (int i = -1; i <= 2; ++i)
            for (int j = -1; j <= 2; ++j) sum += g.at(q.c + i, q.r + j);
        EXPECT_NEAR(g.smooth(q.x, q.z), sum / 16.0f, 1e-5f) << q.x << ", " << q.z;
    }
    EXPECT_TRUE(std::isfinite(g.smooth(kNan, kNan)));
}

// Inside the grid the smoothing follows a ramp exactly, at any fraction of a cell.
TEST(HeightQueries, HeightAtFollowsARampAtAnyFraction) {
    std::vector<vec3> ramp;
    for (int r = 0; r < 7; ++r)
        for (int c = 0; c < 8; ++c) ramp.emplace_back(c, 0.5f * c - 0.25f * r + 3.0f, r);
    for (vec2 p : {vec2(2.25f, 1.7f), vec2(3.8f, 2.1f), vec2(4.0f, 3.0f), vec2(1.13f, 4.91f)})
        EXPECT_NEAR(gridHeightAt(ramp, 8, 7, p.x, p.y), 0.5f * p.x - 0.25f * p.y + 3.0f, 1e-5f)
            << p.x << ", " << p.y;
}

// The mean of the drawn triangle's corners, weighted; cells split (c + 1, r) to (c, r + 1).
TEST(HeightQueries, SurfaceFollowsTheDrawnTrianglesAndClamps) {
    const Grid g;
    const struct {
        float x, z;
        struct {
            int c, r;
            float weight;
        } parts[3];
    } cases[] = {
        {2.5f, 1.25f, {{2, 1, 0.25f}, {3, 1, 0.5f}, {2, 2, 0.25f}}},
        {4.75f, 3.5f, {{5, 4, 0.25f}, {4, 4, 0.25f}, {5, 3, 0.5f}}},
        {0.5f, 0.5f, {{1, 0, 0.5f}, {0, 1, 0.5f}, {0, 0, 0.0f}}},
        {1e6f, 2.5f, {{6, 2, 0.5f}, {6, 3, 0.5f}, {0, 0, 0.0f}}},
        {-4.0f, kNan, {{0, 0, 1.0f}, {0, 0, 0.0f}, {0, 0, 0.0f}}},
    };
    for (const auto& q : cases) {
        float mean = 0.0f;
        for (const auto& part : q.parts) mean += part.weight * g.at(part.c, part.r);
        EXPECT_NEAR(g.surface(q.x, q.z), mean, 1e-4f) << q.x << ", " << q.z;
    }
}

TEST(HeightQueries, SingleVertexOrEmptyOrShortGrid) {
    const std::vector<vec3> one{vec3(0.0f, 6.4f, 0.0f)}, none, three(3, vec3(0, 5, 0));
    for (vec2 p : {vec2(0.4f, 0.2f), vec2(-7.5f, 2), vec2(400)}) {
        EXPECT_EQ(gridCellHeight(one, 1, 1, p.x, p.y), 6.4f);
        EXPECT_NEAR(gridHeightAt(one, 1, 1, p.x, p.y), 6.4f, 1e-5f);
    }
    // Too few vertices for the size given: zero instead of a read past the end.
    EXPECT_EQ(gridCellHeight(none, 0, 0, 1.0f, 1.0f), 0.0f);
    EXPECT_EQ(gridHeightAt(none, 0, 0, 1.0f, 1.0f), 0.0f);
    EXPECT_EQ(gridCellHeight(three, 2, 2, 1.0f, 1.0f), 0.0f);
    EXPECT_EQ(gridHeightAt(three, 2, 2, 1.0f, 1.0f), 0.0f);
}
