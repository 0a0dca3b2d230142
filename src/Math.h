// Shared value types and the matrix helpers every room uses.
// Matrices are column-major; every operation post-multiplies, so it acts in object space.
#pragma once

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

using glm::mat4;
using glm::vec2;
using glm::vec3;
using glm::vec4;

constexpr float kDegreesToRadians = 0.017453292f;

// Rotation by an angle in degrees about an axis (normalised here).
inline mat4 rotateDegrees(const mat4& m, float degrees, const vec3& axis) {
    return glm::rotate(m, degrees * kDegreesToRadians, glm::normalize(axis));
}

inline vec3 translationOf(const mat4& m) { return vec3(m[3]); }

// Maps clip space [-1, 1] to texture space [0, 1]; shared by the shadow map and the paint splats.
inline const mat4 biasMatrix{0.5f, 0.0f, 0.0f, 0.0f,  //
                             0.0f, 0.5f, 0.0f, 0.0f,  //
                             0.0f, 0.0f, 0.5f, 0.0f,  //
                             0.5f, 0.5f, 0.5f, 1.0f};

// How far along the segment from a to b the point nearest p lies: 0 at a, 1 at b. The segment
// needs a length; what a segment of none means is each caller's own rule.
inline float nearestOnSegment(vec2 p, vec2 a, vec2 b) {
    const vec2 ab = b - a;
    return glm::clamp(glm::dot(p - a, ab) / glm::dot(ab, ab), 0.0f, 1.0f);
}
