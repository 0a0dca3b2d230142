#include "scene/MeshObjects.h"

#include "assets/ObjReader.h"
#include "platform/Console.h"
#include "scene/MeshUpload.h"

namespace kesto::scene {

nonTexturedVboObject::nonTexturedVboObject(const std::string& path, const mat4& modelMatrix,
                                           Shader* shader)
    : StaticSceneObject(modelMatrix), shader(shader) {
    std::vector<vec3> positions, normals;
    if (!loadNonTexturedObjFile(path.c_str(), positions, normals))
        fatalError("Error reading object from file: %s\n", path.c_str());
    mesh = uploadMesh({&positions, &normals, nullptr, nullptr}, shader);
    vertexCount = static_cast<int>(positions.size());
}

void nonTexturedVboObject::draw() { drawMesh(mesh, vertexCount); }

VboObject::VboObject(const mat4& modelMatrix, Shader* shader)
    : SceneObject(modelMatrix), shader(shader) {
    const char* path = "Util/Files/finish.obj";
    std::vector<vec3> positions, normals;
    std::vector<vec2> uvs;
    if (!loadObjFile(path, positions, uvs, normals))
        fatalError("Error reading object from file: %s\n", path);
    mesh = uploadMesh({&positions, &normals, &uvs, nullptr}, shader);
    vertexCount = static_cast<int>(positions.size());
}

void VboObject::update(double timeDelta) {
    modelMatrix =
        rotateDegrees(modelMatrix, static_cast<float>(timeDelta) * 90.0f, vec3(0.5f, -1.0f, 0.0f));
}

void VboObject::draw() { drawMesh(mesh, vertexCount); }

}  // namespace kesto::scene
