#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "scene/WallObject.h"

using kesto::scene::placeWall;

namespace {

vec3 apply(const mat4& m, vec3 p) { return vec3(m * vec4(p, 1.0f)); }

void expectNear(vec3 actual, vec3 expected) {
    EXPECT_LT(glm::distance(actual, expected), 1e-4f)
        << actual.x << " " << actual.y << " " << actual.z;
}

const auto flat = [](float, float) { return 5.0f; };

}  // namespace

TEST(WallPlacement, AlongXHasAngleZeroAndSpansTheSegment) {
    mat4 m(1.0f);
    float angle = -1.0f;
    ASSERT_TRUE(placeWall({10, 20}, {14, 20}, flat, m, angle));
    EXPECT_FLOAT_EQ(angle, 0.0f);
    // Box corners: x 10 to 14, z 20 -/+ 0.05, y from h - 3 to h + 4.
    expectNear(apply(m, {0, -3, -0.05f}), {10, 2, 19.95f});
    expectNear(apply(m, {1, 4, 0.05f}), {14, 9, 20.05f});
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

TEST(WallPlacement, ShearedFootFollowsTheGroundBetweenTheEnds) {
    mat4 m(1.0f);
    float angle = 0.0f;
    auto slope = [](float x, float) { return x >= 14.0f ? 7.0f : 5.0f; };
    ASSERT_TRUE(placeWall({10, 20}, {14, 20}, slope, m, angle));
    expectNear(apply(m, {0, 0, 0}), {10, 5, 20});
    expectNear(apply(m, {0.5f, 0, 0}), {12, 6, 20});
    expectNear(apply(m, {1, 0, 0}), {14, 7, 20});
    // The top rises by the same 2 as the foot.
    EXPECT_NEAR(apply(m, {1, 4, 0}).y - apply(m, {0, 4, 0}).y, 2.0f, 1e-4f);
}

TEST(WallPlacement, ZeroLengthMakesNoWall) {
    mat4 m = glm::translate(mat4(1.0f), vec3(1, 2, 3));
    const mat4 before = m;
    float angle = 42.0f;
    EXPECT_FALSE(placeWall({0, 0}, {0, 0}, flat, m, angle));
    EXPECT_EQ(m, before);  // and so no NaN either
}
