#include "scene/SurfaceGrids.h"

#include <algorithm>

#include "scene/HeightMapObject.h"
#include "scene/WallBox.h"
#include "scene/WallObject.h"

namespace kesto::scene {

float footLength(const WallObject& wall) { return glm::length(vec3(wall.modelMatrix[0])); }

SurfaceGrids surfaceGridsOf(const HeightMapObject& terrain,
                            const std::vector<std::unique_ptr<WallObject>>& walls) {
    SurfaceGrids grids;
    if (!terrain.vertices.empty()) {
        grids.terrainLow = grids.terrainHigh = vec2(terrain.vertices[0].x, terrain.vertices[0].z);
    }
    for (const vec3& v : terrain.vertices) {
        grids.terrainLow = glm::min(grids.terrainLow, vec2(v.x, v.z));
        grids.terrainHigh = glm::max(grids.terrainHigh, vec2(v.x, v.z));
    }
    grids.cellColumns = std::max(terrain.width - 1, 0);
    grids.cellRows = std::max(terrain.depth - 1, 0);
    float longest = 0.0f;
    for (const auto& wall : walls) {
        grids.wallLengths.push_back(footLength(*wall));
        longest = std::max(longest, grids.wallLengths.back());
    }
    grids.wallOrigin = vec2(-1.0f, kWallBoxMin[1]);
    grids.wallExtent = vec2(longest + 2.0f, kWallBoxMax[1] - kWallBoxMin[1]);
    return grids;
}

}  // namespace kesto::scene
