// Throws and impacts worked out without GL.
#include <gtest/gtest.h>

#include <cmath>

#include "game/PlayRules.h"

namespace {

constexpr float kTwentyDegrees = 0.3490658f;

vec3 textureCoordinate(const mat4& textureMatrix, vec3 world) {
    const vec4 p = textureMatrix * vec4(world, 1.0f);
    return vec3(p) / p.w;
}

}  // namespace

TEST(Launch, LookingDownSubtractsTheElevationTermAndMayTurnNegative) {
    const Launch walking = launchFrom(vec3(0), vec3(0, -0.5f, 1), false);
    EXPECT_LT(walking.angle, 0.0f);  // the term is about 24 degrees here
    const Launch up = launchFrom(vec3(0), vec3(0, 0.5f, 1), false);
    EXPECT_NEAR(up.angle - kTwentyDegrees, kTwentyDegrees - walking.angle, 1e-6);
}

TEST(Flight, LongFramesHopShortOfAWallsReachShortOnesInOne) {
    EXPECT_EQ(flightHops(vec3(0, 1, 0), 2.0), 1);  // straight up never crosses a wall
    // Half a second at 13 units per second: 6.5 units in hops of at most 0.1.
    EXPECT_EQ(flightHops(vec3(0, 0, 1), 0.5), 65);
    const vec3 sideways = glm::normalize(vec3(1, -1, 1));
    const int hops = flightHops(sideways, 1.0 / 30.0);
    EXPECT_LE(13.0 * glm::length(vec2(sideways.x, sideways.z)) / 30.0 / hops, 0.1);
    EXPECT_LE(flightHops(vec3(0, 0, 1), 1e9), 4096);
}

TEST(Impact, WallReachIsStrictlyUnderTheBallRadiusRoundAtTheEndsAndNeverFromNowhere) {
    vec2 away;
    EXPECT_TRUE(reachesWall(vec2(0, 0), vec2(10, 0), 1.0f, 0.19f, away));
    EXPECT_EQ(away, vec2(0.0f, 0.19f));
    EXPECT_FALSE(reachesWall(vec2(0, 0), vec2(10, 0), 5.0f, 0.2f, away));
    EXPECT_TRUE(reachesWall(vec2(0, 0), vec2(10, 0), 10.1f, 0.1f, away));
    EXPECT_NEAR(away.x, 0.1f, 1e-6);
    EXPECT_FALSE(reachesWall(vec2(0, 0), vec2(10, 0), 10.15f, 0.15f, away));
    // On the wall's line the splat comes from the side, across the wall, not along it.
    ASSERT_TRUE(reachesWall(vec2(0, 0), vec2(0, 8), 0.0f, 4.0f, away));
    EXPECT_GT(glm::length(away), 0.0f);
    EXPECT_NEAR(away.y, 0.0f, 1e-6);
    // A wall of no length is a post and never divides by zero.
    EXPECT_TRUE(reachesWall(vec2(3, 3), vec2(3, 3), 3.1f, 3.0f, away));
    EXPECT_NEAR(away.x, 0.1f, 1e-6);
    EXPECT_TRUE(reachesWall(vec2(3, 3), vec2(3, 3), 3.0f, 3.0f, away));
    EXPECT_GT(glm::length(away), 0.0f);
}

TEST(Projector, ZeroDirectionLooksStraightDownAndAnUpAlongTheAxisIsReplaced) {
    EXPECT_EQ(projectorAxis(vec3(0)), vec3(0, 1, 0));
    const vec3 axis(0, 1, 0);
    const vec3 up = projectorUp(axis, vec3(0, 1, 0));
    EXPECT_GT(glm::length(glm::cross(axis, glm::normalize(up))), 0.5f);
    EXPECT_EQ(projectorUp(vec3(1, 0, 0), vec3(0, 1, 0)), vec3(0, 1, 0));
}

TEST(Projector, HitPointLandsInTheMiddleOfTheSplatImage) {
    const vec3 hit(20, 7, 30);
    const mat4 m = projectorTextureMatrix(hit + vec3(0, 4, 0), hit, kGroundSplatUp);
    const vec3 centre = textureCoordinate(m, hit);
    EXPECT_NEAR(centre.x, 0.5f, 1e-5);
    EXPECT_NEAR(centre.y, 0.5f, 1e-5);
    // The image spans 4 * tan(22.5 degrees) to each side at the hit point's distance.
    const float half = 4.0f * std::tan(22.5f * kDegreesToRadians);
    const vec3 edge = textureCoordinate(m, hit + vec3(half, 0, half) / std::sqrt(2.0f));
    EXPECT_NEAR(std::max(std::abs(edge.x - 0.5f), std::abs(edge.y - 0.5f)), 0.5f, 1e-4);
}
