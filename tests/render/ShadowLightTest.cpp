// Where the light that follows the player puts things.
#include <gtest/gtest.h>

#include "render/ShadowMap.h"

namespace {

vec3 clipOf(vec3 camera, vec3 world) {
    const vec4 p = shadowLightProjection(camera) * shadowLightView(camera) * vec4(world, 1.0f);
    return vec3(p) / p.w;
}

}  // namespace

TEST(ShadowLight, CoversAFiftyUnitSquareCentredUnderTheCamera) {
    const vec3 camera(100, 12, 80);
    const vec3 under = clipOf(camera, vec3(100, 0, 80));
    EXPECT_NEAR(under.x, 0.0f, 1e-5);
    EXPECT_NEAR(under.y, 0.0f, 1e-5);
    const mat4 view = shadowLightView(camera);
    const vec3 right = glm::normalize(vec3(view[0][0], view[1][0], view[2][0]));
    const vec3 edge = clipOf(camera, vec3(100, 0, 80) + right * 25.0f);
    EXPECT_NEAR(edge.x, 1.0f, 1e-4);
}

TEST(ShadowLight, NearPlaneMovesTowardsTheLightAsTheCameraRises) {
    // The light's own position lies on its axis at distance 0.
    const vec3 lowCamera(50, 10, 50);
    const vec3 atLightLow = clipOf(lowCamera, vec3(48, 30, 48));
    EXPECT_LT(atLightLow.z, -1.0f);  // near plane 15 in front of the light: clipped
    const vec3 nearPlaneLow =
        clipOf(lowCamera, vec3(48, 30, 48) + glm::normalize(vec3(2, -30, 2)) * 15.0f);
    EXPECT_NEAR(nearPlaneLow.z, -1.0f, 1e-4);

    const vec3 highCamera(50, 30, 50);
    const vec3 atLightHigh = clipOf(highCamera, vec3(48, 30, 48));
    EXPECT_GE(atLightHigh.z, -1.0f);  // near plane at -5: behind the light
    EXPECT_LE(atLightHigh.z, 1.0f);

    const vec3 exactly25(50, 25, 50);
    EXPECT_NEAR(clipOf(exactly25, vec3(48, 30, 48)).z, -1.0f, 1e-5);
}
