// The light that casts the shadows of balls and hit bonus items: it follows the player,
// 30 units up and 2 back in x and z, looking down on a 50 x 50 square around the camera.
#pragma once

#include "Math.h"

constexpr int kShadowMapSize = 2048;

inline mat4 shadowLightView(vec3 camera) {
    return glm::lookAt(vec3(camera.x - 2.0f, 30.0f, camera.z - 2.0f),
                       vec3(camera.x, 0.0f, camera.z), vec3(0.0f, 1.0f, 0.0f));
}

// The near plane comes closer to the light as the camera rises (25 - camera height).
inline mat4 shadowLightProjection(vec3 camera) {
    return glm::ortho(-25.0f, 25.0f, -25.0f, 25.0f, 25.0f - camera.y, 45.0f);
}
