// A thrown ball: the shared sphere mesh plus the state of its ballistic flight.
#pragma once

#include "scene/MeshBuffers.h"
#include "scene/SceneObject.h"

class Shader;

namespace kesto::scene {

class BallObject : public SceneObject {
public:
    // Loads "Util/Files/sphere_smooth.obj"; used once, for the prototype every ball copies.
    BallObject(const mat4& modelMatrix, Shader* shader);
    void update(double timeDelta) override;  // one flight step along the parabola
    void draw() override;

    SharedMesh mesh;
    Shader* shader = nullptr;
    vec3 direction{0.0f, 0.0f, 0.0f};
    float startHeight = 0.0f;
    float distance = 0.0f;
    float height = 0.0f;
    float angle = 0.0f;  // radians
    float power = 1.0f;
    int vertexCount = 0;

protected:
    // A ball without a mesh, built without a GL context; it flies all the same.
    explicit BallObject(const mat4& modelMatrix) : SceneObject(modelMatrix) {}
};

}  // namespace kesto::scene
