// The two general mesh classes read from OBJ files.
#pragma once

#include <string>

#include "scene/MeshBuffers.h"
#include "scene/SceneObject.h"

class Shader;

namespace kesto::scene {

// Positions and normals from an OBJ file (gate layer, cones, atom rings).
class nonTexturedVboObject : public StaticSceneObject {
public:
    nonTexturedVboObject(const std::string& path, const mat4& modelMatrix, Shader* shader);
    void draw() override;

    Shader* shader = nullptr;  // records the attribute locations; not owned
    SharedMesh mesh;
    int vertexCount = 0;

protected:
    // A mesh-less object, built without a GL context.
    explicit nonTexturedVboObject(const mat4& modelMatrix) : StaticSceneObject(modelMatrix) {}
};

// Positions, normals and texture coordinates from "Util/Files/finish.obj" (the finish gate).
class VboObject : public SceneObject {
public:
    VboObject(const mat4& modelMatrix, Shader* shader);
    void update(double timeDelta) override;  // spins 90 degrees per second about (0.5, -1, 0)
    void draw() override;

    SharedMesh mesh;
    Shader* shader = nullptr;
    int vertexCount = 0;
};

}  // namespace kesto::scene
