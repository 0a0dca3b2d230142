// Where the receivers' colours and the paint are laid out on the surfaces: the terrain by world
// (x, z), each wall by (along, up) over its box. Worked out once from the built world, so the
// surface textures and the paint's tiles cover the same ground.
#pragma once

#include <memory>
#include <vector>

#include "Math.h"

namespace kesto::scene {
class HeightMapObject;
class WallObject;

struct SurfaceGrids {
    vec2 terrainLow{0.0f}, terrainHigh{0.0f};  // the terrain's extent in (x, z)
    int cellColumns = 0, cellRows = 0;         // its grid cells, one unit square each
    // A wall's (along, up) from its first end and its foot, as its stones are laid: its grid
    // starts a unit before the wall, for the end faces, and runs wallExtent, as far as the
    // longest wall within the world's reach needs.
    vec2 wallOrigin{0.0f}, wallExtent{0.0f};
    std::vector<float> wallLengths;  // each wall's, in the game's order

    // A wall longer than anyone can walk along (a damaged maze file) is drawn but has no room
    // on the grid: it keeps no paint, and its far part repeats the grid's last stones.
    bool onGrid(size_t wall) const;
};

// The length along a wall's foot, which its stone courses and paint run along (the foot rises
// and falls with the terrain, so it is more than the ground distance between its ends).
float footLength(const WallObject& wall);

SurfaceGrids surfaceGridsOf(const HeightMapObject& terrain,
                            const std::vector<std::unique_ptr<WallObject>>& walls);
// The same from the terrain's extent and grid cells and the walls' foot lengths.
SurfaceGrids surfaceGrids(vec2 terrainLow, vec2 terrainHigh, glm::ivec2 cells,
                          std::vector<float> wallLengths);

}  // namespace kesto::scene
