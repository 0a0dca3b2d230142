// Base of everything drawn in the 3D world: a model matrix plus GPU vertex data of its own.
// The caller picks the program and sets its uniforms; draw() only binds and draws, and leaves
// vertex array 0 bound.
#pragma once

#include "Math.h"

namespace kesto::scene {

class SceneObject {
public:
    explicit SceneObject(const mat4& modelMatrix) : modelMatrix(modelMatrix) {}
    virtual ~SceneObject() = default;
    virtual void update(double timeDelta) = 0;
    virtual void draw() = 0;

    mat4 modelMatrix;
};

// update() of the objects that never move by themselves.
class StaticSceneObject : public SceneObject {
public:
    using SceneObject::SceneObject;
    void update(double) override {}
};

}  // namespace kesto::scene
