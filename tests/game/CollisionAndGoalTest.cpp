#include <gtest/gtest.h>

#include <cmath>

#include "game/Movement.h"

namespace {

float distanceToSegment(vec3 p, vec2 s, vec2 e) {
    const vec2 q(p.x, p.z);
    const float t = glm::clamp(glm::dot(q - s, e - s) / glm::dot(e - s, e - s), 0.0f, 1.0f);
    return glm::distance(q, s + t * (e - s));
}

}  // namespace

TEST(FinishLine, OnTheLineIsZero) {
    EXPECT_NEAR(finishLineDistance({177, 50, 119.15f}), 0.0f, 1e-4f);
    EXPECT_NEAR(finishLineDistance({179.3f, 0, 119.15f}), 0.0f, 1e-4f);
}

TEST(WallPushOut, LeavesThePlayerExactlyOneFromTheCentreLine) {
    vec3 p(5, 7, 0.4f);
    EXPECT_TRUE(pushOutOfWall(p, {0, 0}, {10, 0}));
    EXPECT_NEAR(p.x, 5.0f, 1e-6f);
    EXPECT_NEAR(p.z, 1.0f, 1e-6f);
    EXPECT_EQ(p.y, 7.0f);

    vec3 far(5, 0, 1.5f);
    EXPECT_FALSE(pushOutOfWall(far, {0, 0}, {10, 0}));
    EXPECT_EQ(far, vec3(5, 0, 1.5f));
}

TEST(WallPushOut, ObliqueStepSlidesAlongTheWall) {
    // A wall along the diagonal; walking into it at an angle keeps the along-wall motion.
    const vec2 s(0, 0), e(10, 10);
    vec3 p(6, 0, 4);
    p += vec3(-0.3f, 0, 0.5f);
    const float alongBefore = glm::dot(vec2(p.x, p.z), glm::normalize(e - s));
    EXPECT_TRUE(pushOutOfWall(p, s, e));
    EXPECT_NEAR(distanceToSegment(p, s, e), 1.0f, 1e-5f);
    EXPECT_NEAR(glm::dot(vec2(p.x, p.z), glm::normalize(e - s)), alongBefore, 1e-5f);
    EXPECT_GT(p.x, p.z);  // still on the side it came from
}

TEST(WallPushOut, NearAnEndPushesAwayFromTheEndPoint) {
    vec3 p(10.6f, 0, 0.0f);
    EXPECT_TRUE(pushOutOfWall(p, {0, 0}, {10, 0}));
    EXPECT_NEAR(p.x, 11.0f, 1e-6f);
    EXPECT_NEAR(p.z, 0.0f, 1e-6f);
}

TEST(WallPushOut, OnTheCentreLineStillLeavesAFiniteDistanceOfOne) {
    vec3 p(3, 0, 0);
    EXPECT_TRUE(pushOutOfWall(p, {0, 0}, {10, 0}));
    EXPECT_FALSE(std::isnan(p.x) || std::isnan(p.z));
    EXPECT_NEAR(distanceToSegment(p, {0, 0}, {10, 0}), 1.0f, 1e-6f);
}

TEST(WallPushOut, ZeroLengthWallBlocksNothing) {
    vec3 p(0.2f, 0, 0.1f);
    EXPECT_FALSE(pushOutOfWall(p, {0, 0}, {0, 0}));
    EXPECT_EQ(p, vec3(0.2f, 0, 0.1f));
}
