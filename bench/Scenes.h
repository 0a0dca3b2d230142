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

// A place on the way through the maze and the direction the player walks there.
struct Viewpoint {
    vec2 position{0.0f};
    vec2 heading{0.0f, 1.0f};
};

// A walk from the start to the finish as a player takes it, keeping the player's clearance
// from the walls; empty when the maze has no way through.
std::vector<vec2> wayThroughTheMaze(const Game& game, vec2 start);

// count spots along the way as a player leaves them, evenly spread, alternating a hit on the
// nearest wall and a hit on the ground beside the way.
std::vector<SplatSpot> splatSpotsAlongTheWay(const Game& game, const std::vector<vec2>& way,
                                             std::size_t count);

// count places evenly spread over the way, each looking along it.
std::vector<Viewpoint> viewpointsAlongTheWay(const std::vector<vec2>& way, std::size_t count);
