// The terrain's height queries, kept free of GL so that they work without a window.
#include <algorithm>
#include <cmath>

#include "scene/HeightMapObject.h"

namespace kesto::scene {

namespace {

bool gridUsable(const std::vector<vec3>& vertices, int width, int depth) {
    return width > 0 && depth > 0 &&
           vertices.size() >= static_cast<size_t>(width) * static_cast<size_t>(depth);
}

// Truncation toward zero, clamped to [0, last]; compared as floats first so that NaN or a
// coordinate beyond the int range never reaches the conversion.
int truncatedIndex(float v, int last) {
    if (!(v >= 0.0f)) return 0;
    if (v >= static_cast<float>(last)) return last;
    return static_cast<int>(v);
}

int clampIndex(long long i, int last) {
    if (i < 0) return 0;
    if (i > last) return last;
    return static_cast<int>(i);
}

// floor(v) in double precision and the fraction v - floor(v). Far outside the grid every
// sample clamps to the same edge vertex whatever the fraction, so the floor is bounded there.
void floorAndFraction(float v, int last, long long& base, float& fraction) {
    if (std::isnan(v)) v = 0.0f;
    const double f = std::floor(static_cast<double>(v));
    if (f < -8.0 || f > static_cast<double>(last) + 8.0) {
        base = f < 0.0 ? -8 : static_cast<long long>(last) + 8;
        fraction = 0.0f;
        return;
    }
    base = static_cast<long long>(f);
    fraction = v - static_cast<float>(base);
}

}  // namespace

float gridCellHeight(const std::vector<vec3>& vertices, int width, int depth, float x, float z) {
    if (!gridUsable(vertices, width, depth)) return 0.0f;
    const int cx = truncatedIndex(x, width - 1);
    const int cz = truncatedIndex(z, depth - 1);
    return vertices[static_cast<size_t>(cz) * width + cx].y;
}

float gridHeightAt(const std::vector<vec3>& vertices, int width, int depth, float x, float z) {
    if (!gridUsable(vertices, width, depth)) return 0.0f;
    long long ix = 0, iz = 0;
    float fx = 0.0f, fz = 0.0f;
    floorAndFraction(x, width - 1, ix, fx);
    floorAndFraction(z, depth - 1, iz, fz);

    // Each sample weighs the sum of its two axis weights; the 16 weights always add up to 16.
    float sum = 0.0f;
    for (int i = -1; i <= 2; ++i) {
        for (int j = -1; j <= 2; ++j) {
            const float wx = i < 1 ? 1.0f - fx : fx;
            const float wz = j < 1 ? 1.0f - fz : fz;
            const int cx = clampIndex(ix + i, width - 1);
            const int cz = clampIndex(iz + j, depth - 1);
            sum += (wz + wx) * vertices[static_cast<size_t>(cz) * width + cx].y;
        }
    }
    return sum * 0.0625f;
}

float gridSurfaceHeight(const std::vector<vec3>& vertices, int width, int depth, float x, float z) {
    if (!gridUsable(vertices, width, depth)) return 0.0f;
    if (std::isnan(x)) x = 0.0f;
    if (std::isnan(z)) z = 0.0f;
    const int c = truncatedIndex(x, std::max(width - 2, 0));
    const int r = truncatedIndex(z, std::max(depth - 2, 0));
    const auto y = [&](int dc, int dr) {
        const int column = std::min(c + dc, width - 1), row = std::min(r + dr, depth - 1);
        return vertices[static_cast<size_t>(row) * width + column].y;
    };
    const float fx = std::clamp(x - static_cast<float>(c), 0.0f, 1.0f);
    const float fz = std::clamp(z - static_cast<float>(r), 0.0f, 1.0f);
    if (fx + fz <= 1.0f) return y(0, 0) + fx * (y(1, 0) - y(0, 0)) + fz * (y(0, 1) - y(0, 0));
    return y(1, 1) + (1.0f - fx) * (y(0, 1) - y(1, 1)) + (1.0f - fz) * (y(1, 0) - y(1, 1));
}

}  // namespace kesto::scene
