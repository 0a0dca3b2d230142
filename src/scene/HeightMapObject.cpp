#include "scene/HeightMapObject.h"

#include <cstdint>

#include "assets/HeightmapReader.h"
#include "platform/Console.h"
#include "scene/MeshUpload.h"

namespace kesto::scene {

namespace {
constexpr int kIndicesPerCell = 6;
}  // namespace

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

void HeightMapObject::drawRuns(const std::vector<TerrainRun>& runs) const {
    if (!mesh || runs.empty()) return;
    // One call draws every run; cells lie row after row, 6 indices each.
    static std::vector<GLsizei> counts;
    static std::vector<const void*> offsets;
    counts.clear();
    offsets.clear();
    for (const TerrainRun& run : runs) {
        const std::uintptr_t cell = static_cast<std::uintptr_t>(run.row) * (width - 1) +
                                    static_cast<std::uintptr_t>(run.column);
        counts.push_back(run.columns * kIndicesPerCell);
        offsets.push_back(reinterpret_cast<const void*>(cell * kIndicesPerCell * sizeof(GLuint)));
    }
    glBindVertexArray(mesh->vao);
    glMultiDrawElements(GL_TRIANGLES, counts.data(), GL_UNSIGNED_INT, offsets.data(),
                        static_cast<GLsizei>(counts.size()));
    glBindVertexArray(0);
}

float HeightMapObject::heightAt(float x, float z) const {
    return gridHeightAt(vertices, width, depth, x, z);
}

float HeightMapObject::cellHeight(float x, float z) const {
    return gridCellHeight(vertices, width, depth, x, z);
}

float HeightMapObject::surfaceHeight(float x, float z) const {
    return gridSurfaceHeight(vertices, width, depth, x, z);
}

}  // namespace kesto::scene
