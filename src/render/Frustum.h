// The sphere-against-view-volume test in camera axes, with the camera's field of view.
#pragma once

#include <functional>
#include <vector>

#include "Math.h"

bool sphereInFrustum(const mat4& viewMatrix, vec3 cameraPosition, float aspect, vec3 center,
                     float radius, float farDistance);

// Ground height under (x, z); walls stand on it.
using GroundHeight = std::function<float(float x, float z)>;

// The window rectangle (x, y, width, height, as for glScissor) holding every pixel the camera
// pv shows of the points' convex hull in the viewport; the whole viewport when the hull reaches
// behind the camera. False when none of it can be on the screen.
bool screenRectOf(const std::vector<vec3>& hull, const mat4& pv, const int viewport[4],
                  int rect[4]);

// Whether a wall from start to end (x, z on the ground) may show: a corner in view, or the
// nearest point of its base close in front of the camera.
bool wallInView(const mat4& viewMatrix, vec3 cameraPosition, float aspect, vec2 start, vec2 end,
                const GroundHeight& groundHeight);
