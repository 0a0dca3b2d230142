#include <gtest/gtest.h>

#include "render/Frustum.h"

namespace {

const vec3 kEye(0.0f, 0.0f, 0.0f);
// Looking down -z, y up: right is +x.
const mat4 kView = glm::lookAt(kEye, vec3(0.0f, 0.0f, -1.0f), vec3(0.0f, 1.0f, 0.0f));

bool inView(vec3 p, float radius = 0.0f, float farDistance = 100.0f, float aspect = 1.0f) {
    return sphereInFrustum(kView, kEye, aspect, p, radius, farDistance);
}

}  // namespace

TEST(Frustum, NearPlaneAtOneTenth) {
    EXPECT_FALSE(inView({0.0f, 0.0f, -0.05f}));
    EXPECT_TRUE(inView({0.0f, 0.0f, -0.15f}));
    // A sphere reaching over the near plane counts.
    EXPECT_TRUE(inView({0.0f, 0.0f, -0.05f}, 0.1f));
    EXPECT_FALSE(inView({0.0f, 0.0f, 5.0f}));  // behind the eye
}

TEST(Frustum, FarDistanceIsTheArgumentPlusRadius) {
    EXPECT_TRUE(inView({0.0f, 0.0f, -30.1f}, 0.2f, 30.0f));
    EXPECT_FALSE(inView({0.0f, 0.0f, -30.3f}, 0.2f, 30.0f));
    EXPECT_TRUE(inView({0.0f, 0.0f, -30.3f}, 0.2f, 42.0f));
}

TEST(Frustum, EachSideAtHalfOf45Degrees) {
    // At depth 10 the half height is 10 tan(22.5 degrees) = 4.142.
    EXPECT_TRUE(inView({0.0f, 4.0f, -10.0f}));
    EXPECT_FALSE(inView({0.0f, 4.3f, -10.0f}));
    EXPECT_TRUE(inView({0.0f, -4.0f, -10.0f}));
    EXPECT_FALSE(inView({0.0f, -4.3f, -10.0f}));
    EXPECT_TRUE(inView({4.0f, 0.0f, -10.0f}));
    EXPECT_FALSE(inView({4.3f, 0.0f, -10.0f}));
    EXPECT_TRUE(inView({-4.0f, 0.0f, -10.0f}));
    EXPECT_FALSE(inView({-4.3f, 0.0f, -10.0f}));
}

TEST(Frustum, AspectRatioWidensOnlyTheSides) {
    EXPECT_FALSE(inView({8.0f, 0.0f, -10.0f}, 0.0f, 100.0f, 1.0f));
    EXPECT_TRUE(inView({8.0f, 0.0f, -10.0f}, 0.0f, 100.0f, 2.0f));
    EXPECT_FALSE(inView({8.5f, 0.0f, -10.0f}, 0.0f, 100.0f, 2.0f));
    EXPECT_FALSE(inView({0.0f, 4.3f, -10.0f}, 0.0f, 100.0f, 2.0f));
}

TEST(Frustum, RadiusGrowsTheVolume) {
    // Top: 4.142 + 0.5 / cos(22.5 degrees) = 4.683.
    EXPECT_TRUE(inView({0.0f, 4.6f, -10.0f}, 0.5f));
    EXPECT_FALSE(inView({0.0f, 4.75f, -10.0f}, 0.5f));
    // Side at aspect 1 has the same reach.
    EXPECT_TRUE(inView({4.6f, 0.0f, -10.0f}, 0.5f));
    EXPECT_FALSE(inView({4.75f, 0.0f, -10.0f}, 0.5f));
    // Side at aspect 2: 8.284 + 0.5 / cos(atan(2 tan(22.5 degrees))) = 8.934.
    EXPECT_TRUE(inView({8.9f, 0.0f, -10.0f}, 0.5f, 100.0f, 2.0f));
    EXPECT_FALSE(inView({8.95f, 0.0f, -10.0f}, 0.5f, 100.0f, 2.0f));
}

TEST(Frustum, TurnedAndMovedCameraUsesItsOwnAxes) {
    const vec3 eye(100.0f, 5.0f, 50.0f);
    // Looking towards +x and a little down.
    const mat4 view = glm::lookAt(eye, eye + vec3(1.0f, -0.2f, 0.0f), vec3(0.0f, 1.0f, 0.0f));
    EXPECT_TRUE(sphereInFrustum(view, eye, 1.0f, {110.0f, 3.0f, 50.0f}, 0.0f, 30.0f));
    EXPECT_FALSE(sphereInFrustum(view, eye, 1.0f, {90.0f, 5.0f, 50.0f}, 0.0f, 30.0f));
    EXPECT_FALSE(sphereInFrustum(view, eye, 1.0f, {100.0f, 5.0f, 40.0f}, 0.0f, 30.0f));
    // Looking along +x, the right-hand side is +z and the left -z.
    EXPECT_TRUE(sphereInFrustum(view, eye, 1.0f, {110.0f, 3.0f, 46.0f}, 0.0f, 30.0f));
    EXPECT_FALSE(sphereInFrustum(view, eye, 1.0f, {110.0f, 3.0f, 44.0f}, 0.0f, 30.0f));
}

namespace {

const vec3 kWalker(0.0f, 1.7f, 0.0f);
// Walking along +x.
const mat4 kWalkView = glm::lookAt(kWalker, kWalker + vec3(1.0f, 0.0f, 0.0f), vec3(0, 1, 0));
const GroundHeight kFlat = [](float, float) { return 0.0f; };

bool wallShows(vec2 start, vec2 end, const GroundHeight& ground = kFlat) {
    return wallInView(kWalkView, kWalker, 4.0f / 3.0f, start, end, ground);
}

}  // namespace

TEST(WallVisibility, CornerInViewShowsTheWall) {
    EXPECT_TRUE(wallShows({20.0f, -2.0f}, {20.0f, 2.0f}));
    EXPECT_TRUE(wallShows({20.0f, 2.0f}, {60.0f, 60.0f}));  // only the start is in view
    EXPECT_TRUE(wallShows({60.0f, 60.0f}, {20.0f, 2.0f}));  // only the end is in view
}

TEST(WallVisibility, CornersBeyond45AreCulled) {
    EXPECT_FALSE(wallShows({46.0f, -1.0f}, {46.0f, 1.0f}));
    EXPECT_FALSE(wallShows({-20.0f, -2.0f}, {-20.0f, 2.0f}));  // behind
}

TEST(WallVisibility, WallBesideTheCameraStaysVisible) {
    // A long wall alongside: both ends are out of view, the part next to the player is not.
    EXPECT_TRUE(wallShows({-60.0f, 1.0f}, {60.0f, 1.0f}));
    EXPECT_TRUE(wallShows({60.0f, -1.5f}, {-60.0f, -1.5f}));
    // The same wall 20 units to the side is gone.
    EXPECT_FALSE(wallShows({-60.0f, 20.0f}, {60.0f, 20.0f}));
}

TEST(WallVisibility, StandsOnTheGroundUnderItsEnds) {
    const GroundHeight cliff = [](float x, float) { return x > 10.0f ? 40.0f : 0.0f; };
    EXPECT_TRUE(wallShows({20.0f, -2.0f}, {20.0f, 2.0f}));
    EXPECT_FALSE(wallShows({20.0f, -2.0f}, {20.0f, 2.0f}, cliff));
    // The top corner (ground + 3) alone is enough.
    const GroundHeight dip = [](float x, float) { return x > 10.0f ? -16.0f : 0.0f; };
    EXPECT_TRUE(wallShows({40.0f, -2.0f}, {40.0f, 2.0f}, dip));
}

TEST(WallVisibility, ZeroLengthWallIsJustAPoint) {
    EXPECT_TRUE(wallShows({0.0f, 2.0f}, {0.0f, 2.0f}));
    EXPECT_FALSE(wallShows({-30.0f, 0.0f}, {-30.0f, 0.0f}));
}
