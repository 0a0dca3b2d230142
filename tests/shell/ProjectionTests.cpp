#include <gtest/gtest.h>

#include <cmath>

#include "shell/Globals.h"

namespace {

vec3 toNdc(const mat4& projection, vec3 eyePoint) {
    vec4 clip = projection * vec4(eyePoint, 1.0f);
    return vec3(clip) / clip.w;
}

}  // namespace

TEST(ProjectionMatrix, ClipsAtNearFarAnd45DegreesVertically) {
    mat4 p = makeProjectionMatrix(1920, 1080);
    EXPECT_NEAR(toNdc(p, vec3(0, 0, -0.1f)).z, -1.0f, 1e-4f);
    EXPECT_NEAR(toNdc(p, vec3(0, 0, -210.0f)).z, 1.0f, 1e-4f);
    const float halfHeight = std::tan(22.5f * kDegreesToRadians) * 50.0f;
    EXPECT_NEAR(toNdc(p, vec3(0, halfHeight, -50.0f)).y, 1.0f, 1e-4f);
    // The width follows the window's aspect, the height does not.
    EXPECT_NEAR(toNdc(p, vec3(halfHeight * 1920.0f / 1080.0f, 0, -50.0f)).x, 1.0f, 1e-4f);
}

TEST(ProjectionMatrix, MinimisedWindowKeepsItFinite) {
    for (mat4 p :
         {makeProjectionMatrix(0, 0), makeProjectionMatrix(800, 0), makeProjectionMatrix(0, 600)})
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r) EXPECT_TRUE(std::isfinite(p[c][r]));
}

TEST(BiasMatrix, MapsClipCubeToTextureSpace) {
    EXPECT_EQ(biasMatrix * vec4(-1, -1, -1, 1), vec4(0, 0, 0, 1));
    EXPECT_EQ(biasMatrix * vec4(1, 1, 1, 1), vec4(1, 1, 1, 1));
}
