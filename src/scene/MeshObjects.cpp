#include "scene/MeshObjects.h"

#include "scene/MeshUpload.h"

namespace kesto::scene {

nonTexturedVboObject::nonTexturedVboObject(const std::string& path, const mat4& modelMatrix,
                                           Shader* shader)
    : StaticSceneObject(modelMatrix), shader(shader) {
    mesh = loadObjMeshOrStop(path.c_str(), false, shader, vertexCount);
}

void nonTexturedVboObject::draw() { drawMesh(mesh, vertexCount); }

VboObject::VboObject(const mat4& modelMatrix, Shader* shader)
    : SceneObject(modelMatrix), shader(shader) {
    mesh = loadObjMeshOrStop("Util/Files/finish.obj", true, shader, vertexCount);
}

void VboObject::update(double timeDelta) {
    modelMatrix =
        rotateDegrees(modelMatrix, static_cast<float>(timeDelta) * 90.0f, vec3(0.5f, -1.0f, 0.0f));
}

void VboObject::draw() { drawMesh(mesh, vertexCount); }

}  // namespace kesto::scene
