#include "scene/HeightMapObject.h"

#include "assets/HeightmapReader.h"
#include "platform/Console.h"
#include "scene/MeshUpload.h"

namespace kesto::scene {

HeightMapObject::HeightMapObject(const mat4& modelMatrix, Shader* shader, const std::string& path)
    : StaticSceneObject(modelMatrix), shader(shader) {
    std::vector<vec3> normals;
    std::vector<unsigned> indices;
    if (!loadHeightmap(path.c_str(), vertices, normals, indices, width, depth))
        fatalError("Error reading object from file: %s\n", path.c_str());
    mesh = uploadMesh({&vertices, &normals, nullptr, &indices}, shader);
    indexCount = static_cast<int>(indices.size());
}

void HeightMapObject::draw() { drawMesh(mesh, indexCount); }

float HeightMapObject::heightAt(float x, float z) const {
    return gridHeightAt(vertices, width, depth, x, z);
}

float HeightMapObject::cellHeight(float x, float z) const {
    return gridCellHeight(vertices, width, depth, x, z);
}

}  // namespace kesto::scene
