#include <gtest/gtest.h>

#include <vector>

#include "scene/WallObject.h"

using kesto::scene::placeWall;

namespace {

vec3 apply(const mat4& m, vec3 p) { return vec3(m * vec4(p, 1.0f)); }

void expectNear(vec3 actual, vec3 expected) {
    EXPECT_LT(glm::distance(actual, expected), 1e-4f)
        << actual.x << " " << actual.y << " " << actual.z;
}

}  // namespace

// The unit box runs x 0 to 1 along the wall, z -/+ 0.05 across it and y from 3 below to 4 above
// a foot sheared straight between the ground heights at the ends.
TEST(WallPlacement, AlongXSpansTheSegmentAndFollowsTheGround) {
    mat4 m(1.0f);
    float angle = -1.0f;
    auto slope = [](float x, float) { return x >= 14.0f ? 7.0f : 5.0f; };
    ASSERT_TRUE(placeWall({10, 20}, {14, 20}, slope, m, angle));
    EXPECT_FLOAT_EQ(angle, 0.0f);
    const std::pair<vec3, vec3> corners[] = {{{0, -3, -0.05f}, {10, 2, 19.95f}},
                                             {{1, 4, 0.05f}, {14, 11, 20.05f}},
                                             {{0.5f, 0, 0}, {12, 6, 20}}};
    for (const auto& [box, world] : corners) expectNear(apply(m, box), world);
}

TEST(WallPlacement, DecreasingZIsSwappedAndTurnedNinetyDegrees) {
    mat4 m(1.0f);
    float angle = 0.0f;
    std::vector<vec2> asked;
    auto ground = [&](float x, float z) {
        asked.push_back({x, z});
        return 0.0f;
    };
    ASSERT_TRUE(placeWall({10, 24}, {10, 20}, ground, m, angle));
    EXPECT_NEAR(angle, 90.0f, 1e-4f);
    // The box starts at the end with the smaller z and reaches the other.
    expectNear(apply(m, {0, 0, 0}), {10, 0, 20});
    expectNear(apply(m, {1, 0, 0}), {10, 0, 24});
    EXPECT_EQ(asked, (std::vector<vec2>{{10, 20}, {10, 24}}));
}
