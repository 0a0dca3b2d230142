// The terrain grid built from the heightmap image, with its two height queries.
#pragma once

#include <string>
#include <vector>

#include "scene/MeshBuffers.h"
#include "scene/SceneObject.h"

class Shader;

namespace kesto::scene {

// Height queries on a grid of width x depth vertices (vertex (c, r) at index r * width + c).
// All clamp every coordinate into the grid, so they never fail.
float gridCellHeight(const std::vector<vec3>& vertices, int width, int depth, float x, float z);
float gridHeightAt(const std::vector<vec3>& vertices, int width, int depth, float x, float z);
// The surface the mesh draws: two triangles per cell, split from (c + 1, r) to (c, r + 1).
float gridSurfaceHeight(const std::vector<vec3>& vertices, int width, int depth, float x, float z);

// A stretch of terrain cells in one grid row: columns cells from (column, row) on; cell (c, k)
// lies between x = c .. c + 1 and z = k .. k + 1.
struct TerrainRun {
    int row = 0;
    int column = 0;
    int columns = 0;
};

class HeightMapObject : public StaticSceneObject {
public:
    HeightMapObject(const mat4& modelMatrix, Shader* shader,
                    const std::string& path = "Util/Files/heightmap3.png");
    void draw() override;
    // Draws only the given cells, in one call.
    void drawRuns(const std::vector<TerrainRun>& runs) const;

    // Smoothed height over the 4 x 4 vertices around (x, z).
    float heightAt(float x, float z) const;
    // Height of the single grid vertex at the truncated, clamped coordinates.
    float cellHeight(float x, float z) const;
    // Height of the drawn triangles.
    float surfaceHeight(float x, float z) const;

    SharedMesh mesh;
    Shader* shader = nullptr;
    std::vector<vec3> vertices;
    int width = 0;
    int depth = 0;
    int indexCount = 0;
};

}  // namespace kesto::scene
