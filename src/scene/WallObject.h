// A maze wall: a thin upright box stretched, turned and sheared onto the terrain.
#pragma once

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

}  // namespace kesto::scene
