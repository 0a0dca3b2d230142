#include "scene/MeshBuffers.h"

#include "assets/ObjReader.h"
#include "platform/Console.h"
#include "render/Shader.h"
#include "scene/MeshUpload.h"

namespace kesto::scene {

MeshBuffers::~MeshBuffers() {
    glDeleteBuffers(1, &positionBuffer);
    glDeleteBuffers(1, &indexBuffer);
    glDeleteBuffers(1, &normalBuffer);
    glDeleteBuffers(1, &uvBuffer);
    glDeleteVertexArrays(1, &vao);
}

namespace {

template <typename T>
GLuint uploadBuffer(const std::vector<T>& values) {
    GLuint name = 0;
    glGenBuffers(1, &name);
    glBindBuffer(GL_ARRAY_BUFFER, name);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(values.size() * sizeof(T)),
                 values.empty() ? nullptr : values.data(), GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return name;
}

void attachAttribute(GLuint buffer, const Shader* shader, const char* name, GLuint fallback,
                     GLint components) {
    GLint location = shader ? glGetAttribLocation(shader->programHandle, name) : -1;
    // A program may have optimised the attribute away; another program may still read it.
    GLuint index = location >= 0 ? static_cast<GLuint>(location) : fallback;
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glEnableVertexAttribArray(index);
    glVertexAttribPointer(index, components, GL_FLOAT, GL_FALSE, 0, nullptr);
}

}  // namespace

SharedMesh uploadMesh(const MeshData& data, const Shader* shader) {
    auto mesh = std::make_shared<MeshBuffers>();
    mesh->positionBuffer = uploadBuffer(*data.positions);
    mesh->normalBuffer = uploadBuffer(*data.normals);
    if (data.uvs) mesh->uvBuffer = uploadBuffer(*data.uvs);
    if (data.indices) mesh->indexBuffer = uploadBuffer(*data.indices);

    glGenVertexArrays(1, &mesh->vao);
    glBindVertexArray(mesh->vao);
    attachAttribute(mesh->positionBuffer, shader, "position", 0, 3);
    attachAttribute(mesh->normalBuffer, shader, "normal", 1, 3);
    if (data.uvs) attachAttribute(mesh->uvBuffer, shader, "uv", 2, 2);
    if (data.indices) glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh->indexBuffer);

    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    return mesh;
}

void drawMesh(const SharedMesh& mesh, int count) {
    if (!mesh) return;
    glBindVertexArray(mesh->vao);
    if (mesh->indexBuffer)
        glDrawElements(GL_TRIANGLES, count, GL_UNSIGNED_INT, nullptr);
    else
        glDrawArrays(GL_TRIANGLES, 0, count);
    glBindVertexArray(0);
}

SharedMesh loadObjMeshOrStop(const char* path, bool textured, const Shader* shader,
                             int& vertexCount) {
    std::vector<vec3> positions, normals;
    std::vector<vec2> uvs;
    const bool read = textured ? loadObjFile(path, positions, uvs, normals)
                               : loadNonTexturedObjFile(path, positions, normals);
    if (!read) fatalError("Error reading object from file: %s\n", path);
    SharedMesh mesh =
        uploadMesh({&positions, &normals, textured ? &uvs : nullptr, nullptr}, shader);
    vertexCount = static_cast<int>(positions.size());
    return mesh;
}

}  // namespace kesto::scene
