// The reach of a paint splat: the geometry that bounds where its paint can land.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

#include "scene/SplatReach.h"

TEST(SplatReach, ClippingKeepsExactlyTheSlabOfTheHull) {
    std::vector<vec3> cube;
    for (int i = 0; i < 8; ++i) cube.emplace_back(i & 1, (i >> 1) & 1, (i >> 2) & 1);

    // Along either direction (edges cross both ways) the slab bounds x and keeps its 8 corners.
    for (const auto& [normal, low, high] :
         {std::tuple(vec3(1, 0, 0), 0.25f, 0.5f), std::tuple(vec3(-1, 0, 0), -0.5f, -0.25f)}) {
        const std::vector<vec3> slab = clipToSlab(cube, normal, low, high);
        EXPECT_TRUE(std::all_of(slab.begin(), slab.end(), [](vec3 p) {
            return p.x >= 0.25f - 1e-6f && p.x <= 0.5f + 1e-6f;
        }));
        for (int i = 0; i < 8; ++i) {
            const vec3 corner(i & 1 ? 0.5f : 0.25f, (i >> 1) & 1, (i >> 2) & 1);
            EXPECT_TRUE(std::any_of(slab.begin(), slab.end(),
                                    [&](vec3 p) { return glm::distance(p, corner) < 1e-6f; }))
                << normal.x << " misses corner " << i;
        }
    }

    // A slab across the diagonal: the hull's corner at the origin is cut off, the far one kept.
    const vec3 diagonal = glm::normalize(vec3(1, 1, 1));
    const std::vector<vec3> corner = clipToSlab(cube, diagonal, 0.5f, 10.0f);
    for (const vec3& p : corner) EXPECT_GE(glm::dot(diagonal, p), 0.5f - 1e-5f);
    EXPECT_NE(std::find(corner.begin(), corner.end(), vec3(1, 1, 1)), corner.end());

    EXPECT_TRUE(clipToSlab(cube, vec3(0, 0, 1), 1.5f, 2.0f).empty());
}

TEST(SplatReach, TerrainSpanCoversTheCellsUnderTheBoxAndStaysOnTheGrid) {
    const auto span = [](float x0, float z0, float x1, float z1, int width) {
        const TerrainSpan s = terrainSpanOf({vec2(x0, z0), vec2(x1, z1)}, width, 8);
        return std::vector<int>{s.column, s.columns, s.row, s.rows};
    };
    // Cell c covers c to c + 1: a box from 2.5 to 4.0 touches cells 2, 3 and 4.
    EXPECT_EQ(span(2.5f, 1.0f, 4.0f, 1.5f, 10), (std::vector<int>{2, 3, 0, 2}));
    EXPECT_EQ(span(-1e30f, -1e30f, 1e30f, 1e30f, 10), (std::vector<int>{0, 9, 0, 7}));
    EXPECT_EQ(span(11, 1, 12, 2, 10)[1], 0);
    EXPECT_EQ(span(1, -3, 2, -2, 10)[3], 0);
    EXPECT_EQ(span(1, 1, 2, 2, 1)[1], 0);  // no cells at all
}
