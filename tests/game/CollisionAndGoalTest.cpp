#include <gtest/gtest.h>

#include <cmath>

#include "game/Movement.h"

TEST(WallPushOut, LeavesThePlayerExactlyOneFromTheWallKeepingTheMotionAlongIt) {
    const auto distance = [](vec3 p, vec2 s, vec2 e) {
        const vec2 q(p.x, p.z);
        const float t = glm::clamp(glm::dot(q - s, e - s) / glm::dot(e - s, e - s), 0.0f, 1.0f);
        return glm::distance(q, s + t * (e - s));
    };
    vec3 p(5, 7, 0.4f);
    EXPECT_TRUE(pushOutOfWall(p, {0, 0}, {10, 0}));
    EXPECT_NEAR(p.x, 5.0f, 1e-6f);
    EXPECT_NEAR(p.z, 1.0f, 1e-6f);
    EXPECT_EQ(p.y, 7.0f);

    vec3 far(5, 0, 1.5f);
    EXPECT_FALSE(pushOutOfWall(far, {0, 0}, {10, 0}));
    EXPECT_EQ(far, vec3(5, 0, 1.5f));

    // Near an end it pushes away from the end point.
    vec3 end(10.6f, 0, 0.0f);
    EXPECT_TRUE(pushOutOfWall(end, {0, 0}, {10, 0}));
    EXPECT_NEAR(end.x, 11.0f, 1e-6f);
    EXPECT_NEAR(end.z, 0.0f, 1e-6f);

    // On the centre line: still a finite distance of one.
    vec3 on(3, 0, 0);
    EXPECT_TRUE(pushOutOfWall(on, {0, 0}, {10, 0}));
    EXPECT_FALSE(std::isnan(on.x) || std::isnan(on.z));
    EXPECT_NEAR(distance(on, {0, 0}, {10, 0}), 1.0f, 1e-6f);

    // Walking into a diagonal wall at an angle slides along it, on the side it came from.
    const vec2 s(0, 0), e(10, 10);
    vec3 oblique(5.7f, 0, 4.5f);
    const float alongBefore = glm::dot(vec2(oblique.x, oblique.z), glm::normalize(e - s));
    EXPECT_TRUE(pushOutOfWall(oblique, s, e));
    EXPECT_NEAR(distance(oblique, s, e), 1.0f, 1e-5f);
    EXPECT_NEAR(glm::dot(vec2(oblique.x, oblique.z), glm::normalize(e - s)), alongBefore, 1e-5f);
    EXPECT_GT(oblique.x, oblique.z);

    vec3 post(0.2f, 0, 0.1f);  // a wall of no length blocks nothing
    EXPECT_FALSE(pushOutOfWall(post, {0, 0}, {0, 0}));
    EXPECT_EQ(post, vec3(0.2f, 0, 0.1f));
}
