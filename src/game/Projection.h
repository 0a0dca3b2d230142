// Paint splats: each one a projector that paints the splat image onto walls and terrain.
#pragma once

#include <vector>

#include "Math.h"
#include "scene/SplatReach.h"

// A splat's reach (scene/SplatReach.h) rides along with the record; found once when the
// splat is added.
struct Projection : SplatReach {
    vec3 projectorPosition{0.0f};
    vec3 position{0.0f};
    mat4 textureMatrix{1.0f};
    bool onTerrain = false;
};

// Every splat of the run, in the order they were added; it only grows while the game runs.
extern std::vector<Projection> projections;
