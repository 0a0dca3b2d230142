#include "render/ShadowMap.h"

namespace {

constexpr float kLightHeight = 30.0f;
constexpr float kLightOffset = 2.0f;
constexpr float kLightHalfWidth = 25.0f;
constexpr float kLightNearBase = 25.0f;
constexpr float kLightFar = 45.0f;

}  // namespace

mat4 shadowLightView(vec3 camera) {
    return glm::lookAt(vec3(camera.x - kLightOffset, kLightHeight, camera.z - kLightOffset),
                       vec3(camera.x, 0.0f, camera.z), vec3(0.0f, 1.0f, 0.0f));
}

mat4 shadowLightProjection(vec3 camera) {
    return glm::ortho(-kLightHalfWidth, kLightHalfWidth, -kLightHalfWidth, kLightHalfWidth,
                      kLightNearBase - camera.y, kLightFar);
}
