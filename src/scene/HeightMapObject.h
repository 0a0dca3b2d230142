// The terrain grid built from the heightmap image, with its two height queries.
#pragma once

#include <string>
#include <vector>

#include "scene/MeshBuffers.h"
#include "scene/SceneObject.h"

class Shader;

namespace kesto::scene {

// Height queries on a grid of width x depth vertices (vertex (c, r) at index r * width + c).
// Both clamp every coordinate into the grid, so they never fail.
float gridCellHeight(const std::vector<vec3>& vertices, int width, int depth, float x, float z);
float gridHeightAt(const std::vector<vec3>& vertices, int width, int depth, float x, float z);

class HeightMapObject : public StaticSceneObject {
public:
    HeightMapObject(const mat4& modelMatrix, Shader* shader,
                    const std::string& path = "Util/Files/heightmap3.png");
    void draw() override;

    // Smoothed height over the 4 x 4 vertices around (x, z).
    float heightAt(float x, float z) const;
    // Height of the single grid vertex at the truncated, clamped coordinates.
    float cellHeight(float x, float z) const;

    SharedMesh mesh;
    Shader* shader = nullptr;
    std::vector<vec3> vertices;
    int width = 0;
    int depth = 0;
    int indexCount = 0;
};

}  // namespace kesto::scene
