#include "render/Frustum.h"

#include <algorithm>
#include <cmath>

#include "GameRules.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
// Half the vertical field of view, in radians.
constexpr double kHalfFieldOfView = kPi * (kFieldOfViewDegrees / 360.0);
constexpr double kNearDistance = 0.1;
constexpr float kWallCullHeight = 3.0f;
constexpr float kCornerRadius = 0.0f;
constexpr float kCornerFar = 45.0f;
constexpr float kNearestRadius = 3.0f;
constexpr float kNearestFar = 10.0f;

}  // namespace

bool sphereInFrustum(const mat4& v, vec3 cameraPosition, float aspect, vec3 center, float radius,
                     float farDistance) {
    const vec3 right = glm::normalize(vec3(v[0][0], v[1][0], v[2][0]));
    const vec3 up = glm::normalize(vec3(v[0][1], v[1][1], v[2][1]));
    const vec3 back = glm::normalize(vec3(v[0][2], v[1][2], v[2][2]));
    const vec3 d = center - cameraPosition;

    const float pz = glm::dot(d, -back);
    if (pz > farDistance + radius) return false;
    if (kNearDistance - radius > pz) return false;

    const float t = static_cast<float>(std::tan(kHalfFieldOfView));
    const float py = glm::dot(d, up);
    const float hy = pz * t;
    const float ey = radius / static_cast<float>(std::cos(kHalfFieldOfView));
    if (py > hy + ey || py < -hy - ey) return false;

    const float px = glm::dot(d, right);
    const float hx = hy * aspect;
    const float ex = radius / std::cos(std::atan(aspect * t));
    if (px > hx + ex || px < -hx - ex) return false;
    return true;
}

bool wallInView(const mat4& viewMatrix, vec3 cameraPosition, float aspect, vec2 start, vec2 end,
                const GroundHeight& groundHeight) {
    auto inView = [&](vec3 p, float radius, float farDistance) {
        return sphereInFrustum(viewMatrix, cameraPosition, aspect, p, radius, farDistance);
    };
    const float h1 = groundHeight(start.x, start.y);
    const float h2 = groundHeight(end.x, end.y);
    if (inView(vec3(start.x, h1, start.y), kCornerRadius, kCornerFar) ||
        inView(vec3(start.x, h1 + kWallCullHeight, start.y), kCornerRadius, kCornerFar) ||
        inView(vec3(end.x, h2, end.y), kCornerRadius, kCornerFar) ||
        inView(vec3(end.x, h2 + kWallCullHeight, end.y), kCornerRadius, kCornerFar)) {
        return true;
    }

    // Standing right beside a long wall, all four corners can be out of view.
    const vec2 along = end - start;
    const float lengthSquared = glm::dot(along, along);
    float t = 0.0f;
    if (lengthSquared > 0.0f) {
        const vec2 camera(cameraPosition.x, cameraPosition.z);
        t = std::clamp(glm::dot(camera - start, along) / lengthSquared, 0.0f, 1.0f);
    }
    const vec2 q = start + t * along;
    return inView(vec3(q.x, groundHeight(q.x, q.y), q.y), kNearestRadius, kNearestFar);
}
