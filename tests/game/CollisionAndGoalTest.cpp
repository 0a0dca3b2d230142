// The pure push out of a wall; the player's own steps against walls are in MovementTest.
#include <gtest/gtest.h>

#include "PlaySupport.h"
#include "shell/Movement.h"

TEST(WallPushOut, AwayFromTheEndsSlidesAlongAndPostsBlockNothing) {
    // Near an end it pushes away from the end point.
    vec3 end(10.6f, 0, 0.0f);
    EXPECT_TRUE(pushOutOfWall(end, {0, 0}, {10, 0}));
    EXPECT_NEAR(end.x, 11.0f, 1e-6f);
    EXPECT_NEAR(end.z, 0.0f, 1e-6f);

    // Walking into a diagonal wall at an angle slides along it, on the side it came from.
    const vec2 s(0, 0), e(10, 10);
    vec3 oblique(5.7f, 7, 4.5f);
    const float alongBefore = glm::dot(vec2(oblique.x, oblique.z), glm::normalize(e - s));
    EXPECT_TRUE(pushOutOfWall(oblique, s, e));
    EXPECT_NEAR(distanceToSegment(vec2(oblique.x, oblique.z), s, e), 1.0f, 1e-5f);
    EXPECT_NEAR(glm::dot(vec2(oblique.x, oblique.z), glm::normalize(e - s)), alongBefore, 1e-5f);
    EXPECT_GT(oblique.x, oblique.z);
    EXPECT_EQ(oblique.y, 7.0f);  // the height is the terrain's business

    vec3 far(5, 0, 1.5f);  // out of reach
    EXPECT_FALSE(pushOutOfWall(far, {0, 0}, {10, 0}));
    EXPECT_EQ(far, vec3(5, 0, 1.5f));
    vec3 post(0.2f, 0, 0.1f);  // a wall of no length blocks nothing
    EXPECT_FALSE(pushOutOfWall(post, {0, 0}, {0, 0}));
    EXPECT_EQ(post, vec3(0.2f, 0, 0.1f));
}
