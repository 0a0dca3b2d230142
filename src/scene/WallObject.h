// A maze wall: a thin upright box stretched, turned and sheared onto the terrain.
#pragma once

#include <functional>

#include "scene/MeshBuffers.h"
#include "scene/SceneObject.h"

class Shader;

namespace kesto::scene {

class WallObject : public StaticSceneObject {
public:
    // Builds the box buffers; used once, for the prototype every maze wall copies.
    WallObject(const mat4& modelMatrix, Shader* shader);
    void draw() override;

    bool hit = false;
    SharedMesh mesh;
    Shader* shader = nullptr;
    vec2 start{0.0f, 0.0f};  // (x, z) as read from the maze file
    vec2 end{0.0f, 0.0f};
    bool visible = true;
};

// Where a wall from start to end stands: modelMatrix (the prototype's) is moved onto the end
// with the smaller z, turned onto the segment, stretched to its length and sheared so that its
// foot follows groundHeight from one end to the other. angle: the turn about y, 0 to 180 degrees.
// False, with modelMatrix untouched, for a segment of length 0: it has no direction.
bool placeWall(vec2 start, vec2 end, const std::function<float(float, float)>& groundHeight,
               mat4& modelMatrix, float& angle);

}  // namespace kesto::scene
