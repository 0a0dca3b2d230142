// The sphere-against-view-volume test in camera axes (45 degree vertical field of view).
#pragma once

#include "Math.h"

bool sphereInFrustum(const mat4& viewMatrix, vec3 cameraPosition, float aspect, vec3 center,
                     float radius, float farDistance);
