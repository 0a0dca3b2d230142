#include "render/paint/SplatCoverage.h"

#include <algorithm>
#include <cmath>

#include "scene/SplatReach.h"

float maskCoverage(const AlphaMask& mask, vec2 uv) {
    if (mask.width <= 0 || mask.height <= 0 ||
        mask.alpha.size() < static_cast<size_t>(mask.width) * mask.height) {
        return 1.0f;
    }
    const auto at = [&mask](int x, int y) {
        x = std::clamp(x, 0, mask.width - 1);
        y = std::clamp(y, 0, mask.height - 1);
        return mask.alpha[static_cast<size_t>(y) * mask.width + x] / 255.0f;
    };
    const float x = uv.x * mask.width - 0.5f, y = uv.y * mask.height - 0.5f;
    const float x0 = std::floor(x), y0 = std::floor(y);
    const float fx = x - x0, fy = y - y0;
    const int ix = static_cast<int>(x0), iy = static_cast<int>(y0);
    const float low = at(ix, iy) * (1.0f - fx) + at(ix + 1, iy) * fx;
    const float high = at(ix, iy + 1) * (1.0f - fx) + at(ix + 1, iy + 1) * fx;
    return low * (1.0f - fy) + high * fy;
}

float splatCoverage(const AlphaMask& mask, const mat4& textureMatrix, vec3 world, vec3 normal,
                    bool onWall) {
    const vec4 projected = textureMatrix * vec4(world, 1.0f);
    const float along = projected.w;
    if (!(along >= kNearestPainted && along <= kFarthestPainted)) return 0.0f;
    const vec2 uv = vec2(projected) / along;
    if (uv.x < 0.0f || uv.x > 1.0f || uv.y < 0.0f || uv.y > 1.0f) return 0.0f;
    // The gradient of w is the projector's viewing direction.
    const vec3 forward =
        glm::normalize(vec3(textureMatrix[0][3], textureMatrix[1][3], textureMatrix[2][3]));
    float facing = -glm::dot(glm::normalize(normal), forward);
    if (!onWall) facing = std::abs(facing);
    const float fade = glm::smoothstep(kLeastPaintedFacing, kFullyPaintedFacing, facing);
    return maskCoverage(mask, uv) * fade;
}
