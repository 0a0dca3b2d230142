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
// Points closer to the camera plane than this project unreliably: use the whole viewport.
constexpr float kNearestProjected = 0.05f;
// Pixels added around a rectangle for the rasteriser's rounding.
constexpr int kPixelSlack = 2;

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
    const vec2 camera(cameraPosition.x, cameraPosition.z);
    const float t = glm::dot(along, along) > 0.0f ? nearestOnSegment(camera, start, end) : 0.0f;
    const vec2 q = start + t * along;
    return inView(vec3(q.x, groundHeight(q.x, q.y), q.y), kNearestRadius, kNearestFar);
}

bool screenRectOf(const std::vector<vec3>& hull, const mat4& pv, const int viewport[4],
                  int rect[4]) {
    if (hull.empty()) return false;
    vec2 low(INFINITY), high(-INFINITY);
    for (const vec3& p : hull) {
        const vec4 clip = pv * vec4(p, 1.0f);
        if (!(clip.w > kNearestProjected)) {
            std::copy(viewport, viewport + 4, rect);
            return true;
        }
        const vec2 ndc = vec2(clip) / clip.w;
        low = glm::min(low, ndc);
        high = glm::max(high, ndc);
    }
    if (low.x > 1.0f || low.y > 1.0f || high.x < -1.0f || high.y < -1.0f) return false;
    auto pixel = [](float ndc, int origin, int size) {
        return static_cast<double>(origin) + (std::clamp(ndc, -1.0f, 1.0f) + 1.0) * 0.5 * size;
    };
    const int x0 = static_cast<int>(std::floor(pixel(low.x, viewport[0], viewport[2])));
    const int y0 = static_cast<int>(std::floor(pixel(low.y, viewport[1], viewport[3])));
    const int x1 = static_cast<int>(std::ceil(pixel(high.x, viewport[0], viewport[2])));
    const int y1 = static_cast<int>(std::ceil(pixel(high.y, viewport[1], viewport[3])));
    rect[0] = std::max(x0 - kPixelSlack, viewport[0]);
    rect[1] = std::max(y0 - kPixelSlack, viewport[1]);
    rect[2] = std::min(x1 + kPixelSlack, viewport[0] + viewport[2]) - rect[0];
    rect[3] = std::min(y1 + kPixelSlack, viewport[1] + viewport[3]) - rect[1];
    return rect[2] > 0 && rect[3] > 0;
}
