#include "scene/SurfaceGrids.h"

#include <algorithm>
#include <utility>

#include "scene/HeightMapObject.h"
#include "scene/WallBox.h"
#include "scene/WallObject.h"

namespace kesto::scene {

float footLength(const WallObject& wall) { return glm::length(vec3(wall.modelMatrix[0])); }

SurfaceGrids surfaceGridsOf(const HeightMapObject& terrain,
                            const std::vector<std::unique_ptr<WallObject>>& walls) {
    vec2 low(0.0f), high(0.0f);
    if (!terrain.vertices.empty()) low = high = vec2(terrain.vertices[0].x, terrain.vertices[0].z);
    for (const vec3& v : terrain.vertices) {
        low = glm::min(low, vec2(v.x, v.z));
        high = glm::max(high, vec2(v.x, v.z));
    }
    std::vector<float> lengths;
    for (const auto& wall : walls) lengths.push_back(footLength(*wall));
    return surfaceGrids(low, high, glm::ivec2(terrain.width - 1, terrain.depth - 1),
                        std::move(lengths));
}

SurfaceGrids surfaceGrids(vec2 terrainLow, vec2 terrainHigh, glm::ivec2 cells,
                          std::vector<float> wallLengths) {
    SurfaceGrids grids;
    grids.terrainLow = terrainLow;
    grids.terrainHigh = terrainHigh;
    grids.cellColumns = std::max(cells.x, 0);
    grids.cellRows = std::max(cells.y, 0);
    grids.wallLengths = std::move(wallLengths);
    // The farthest one can walk along a wall: across the terrain, and over a wall's height.
    const float reach = glm::length(terrainHigh - terrainLow) + (kWallBoxMax[1] - kWallBoxMin[1]);
    float longest = 0.0f;
    for (const float length : grids.wallLengths)
        if (length <= reach) longest = std::max(longest, length);
    grids.wallOrigin = vec2(-1.0f, kWallBoxMin[1]);
    grids.wallExtent = vec2(longest + 2.0f, kWallBoxMax[1] - kWallBoxMin[1]);
    return grids;
}

bool SurfaceGrids::onGrid(size_t wall) const {
    return wall < wallLengths.size() && wallLengths[wall] + 2.0f <= wallExtent.x;
}

}  // namespace kesto::scene
