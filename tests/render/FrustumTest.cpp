#include <gtest/gtest.h>

#include "render/Frustum.h"

TEST(Frustum, PlanesOfTheViewVolume) {
    // Away from the origin, looking down -z, y up: right is +x. Cases are given from the eye.
    const vec3 eye(100.0f, 5.0f, 50.0f);
    const mat4 view = glm::lookAt(eye, eye + vec3(0.0f, 0.0f, -1.0f), vec3(0.0f, 1.0f, 0.0f));
    // At depth 10 a side lies 10 tan(22.5 degrees) = 4.142 out; a radius r adds
    // r / cos(22.5 degrees) (4.683 for 0.5), at aspect 2 the sides reach 8.284 (8.934 for 0.5).
    const struct {
        vec3 p;
        float radius, far, aspect;
        bool shown;
    } cases[] = {
        {{0, 0, -0.05f}, 0, 100, 1, false},  // before the near plane at 0.1
        {{0, 0, -0.15f}, 0, 100, 1, true},
        {{0, 0, -0.05f}, 0.1f, 100, 1, true},  // reaching over the near plane
        {{0, 0, -30.1f}, 0.2f, 30, 1, true},   // far is the argument plus the radius
        {{0, 0, -30.3f}, 0.2f, 30, 1, false},
        {{0, 4, -10}, 0, 100, 1, true},
        {{0, 4.3f, -10}, 0, 100, 1, false},
        {{0, -4.3f, -10}, 0, 100, 1, false},
        {{4, 0, -10}, 0, 100, 1, true},
        {{4.3f, 0, -10}, 0, 100, 1, false},
        {{-4.3f, 0, -10}, 0, 100, 1, false},
        {{8, 0, -10}, 0, 100, 2, true},  // the aspect widens only the sides
        {{8.5f, 0, -10}, 0, 100, 2, false},
        {{0, 4.3f, -10}, 0, 100, 2, false},
        {{0, 4.6f, -10}, 0.5f, 100, 1, true},
        {{0, 4.75f, -10}, 0.5f, 100, 1, false},
        {{8.9f, 0, -10}, 0.5f, 100, 2, true},
        {{8.95f, 0, -10}, 0.5f, 100, 2, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.p.x << "," << c.p.y << "," << c.p.z << " r "
                                        << c.radius << " far " << c.far << " aspect " << c.aspect);
        EXPECT_EQ(sphereInFrustum(view, eye, c.aspect, eye + c.p, c.radius, c.far), c.shown);
    }
}

TEST(WallVisibility, ShownWhenAnyPartOfItsStandingBoxIsInView) {
    const vec3 walker(0.0f, 1.7f, 0.0f);
    const mat4 view = glm::lookAt(walker, walker + vec3(1.0f, 0.0f, 0.0f), vec3(0, 1, 0));
    const GroundHeight flat = [](float, float) { return 0.0f; };
    const GroundHeight cliff = [](float x, float) { return x > 10.0f ? 40.0f : 0.0f; };
    const GroundHeight dip = [](float x, float) { return x > 10.0f ? -16.0f : 0.0f; };
    const struct {
        vec2 start, end;
        const GroundHeight* ground;
        bool shown;
    } cases[] = {
        {{20, -2}, {20, 2}, &flat, true},
        {{20, 2}, {60, 60}, &flat, true},     // only the start is in view
        {{60, 60}, {20, 2}, &flat, true},     // only the end is in view
        {{46, -1}, {46, 1}, &flat, false},    // beyond 45
        {{-20, -2}, {-20, 2}, &flat, false},  // behind
        // A long wall alongside: both ends are out of view, the part beside the player is not.
        {{-60, 1}, {60, 1}, &flat, true},
        {{-60, 20}, {60, 20}, &flat, false},
        // It stands on the ground under its ends; the top corner (ground + 3) alone is enough.
        {{20, -2}, {20, 2}, &cliff, false},
        {{40, -2}, {40, 2}, &dip, true},
        {{0, 2}, {0, 2}, &flat, true},  // no length: just a point
        {{-30, 0}, {-30, 0}, &flat, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.start.x << "," << c.start.y << " to " << c.end.x << "," << c.end.y);
        EXPECT_EQ(wallInView(view, walker, 4.0f / 3.0f, c.start, c.end, *c.ground), c.shown);
    }
}

TEST(ScreenRect, HoldsTheHullAndGivesUpBehindTheCamera) {
    const mat4 pv = glm::perspective(glm::radians(45.0f), 4.0f / 3.0f, 0.1f, 210.0f) *
                    glm::lookAt(vec3(0, 0, 0), vec3(0, 0, -1), vec3(0, 1, 0));
    const int viewport[4] = {0, 0, 800, 600};
    int rect[4] = {};
    // A point straight ahead lands in the middle.
    ASSERT_TRUE(screenRectOf({vec3(0, 0, -10)}, pv, viewport, rect));
    EXPECT_TRUE(rect[0] <= 400 && rect[0] + rect[2] >= 400) << rect[0] << " + " << rect[2];
    EXPECT_TRUE(rect[1] <= 300 && rect[1] + rect[3] >= 300) << rect[1] << " + " << rect[3];
    EXPECT_LT(rect[2], 10);

    EXPECT_FALSE(screenRectOf({vec3(100, 0, -10), vec3(120, 5, -10)}, pv, viewport, rect));
    EXPECT_FALSE(screenRectOf({}, pv, viewport, rect));

    ASSERT_TRUE(screenRectOf({vec3(0, 0, -10), vec3(0, 0, 5)}, pv, viewport, rect));
    EXPECT_EQ(std::vector<int>(rect, rect + 4), (std::vector<int>{0, 0, 800, 600}));
}
