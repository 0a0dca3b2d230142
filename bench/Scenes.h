// What the benchmark puts in front of the camera: paint splats where balls would leave them,
// and particle bursts kept alive.
#pragma once

#include <cstddef>
#include <vector>

#include "Math.h"

class Game;

// The arguments of one addProjection call.
struct SplatSpot {
    vec3 position{0.0f};
    vec3 direction{0.0f};
    vec3 up{0.0f};
};

// count spots in the current view, alternating a wall hit and a ground hit (wall first), spread
// over the visible walls and the ground ahead. Needs the wall visibility of the current view.
std::vector<SplatSpot> splatSpotsInView(const Game& game, std::size_t count);

// Tops the game's bursts up to count, launching copies of the template at the spots in turn,
// as addProjection does, without adding a splat.
void keepBurstsAlive(Game& game, const std::vector<SplatSpot>& spots, std::size_t count,
                     std::size_t& nextSpot);
