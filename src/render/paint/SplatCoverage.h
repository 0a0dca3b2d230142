// How much of a point of a surface one splat paints, worked out on the processor as the bake
// program paints it, so that a tile the splat leaves bare is known without asking the GPU.
#pragma once

#include "Math.h"
#include "assets/Texture.h"

// The splat image's coverage at image coordinates uv, filtered bilinearly and clamped at the
// edges as the bake samples it; 0 to 1. An empty mask covers everything.
float maskCoverage(const AlphaMask& mask, vec2 uv);

// The paint a projector leaves at a world point with the surface's normal there: the image's
// coverage, faded where the projector grazes the surface; 0 outside its painted span. The
// terrain has no back side (onWall false): a ground splat's projector may sit under a hill.
float splatCoverage(const AlphaMask& mask, const mat4& textureMatrix, vec3 world, vec3 normal,
                    bool onWall);

// Paint shows where it covers half a texel or more.
constexpr float kShownCoverage = 0.5f;
