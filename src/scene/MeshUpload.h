// Builds the GL side of a mesh: one tightly packed buffer per attribute, an optional index
// buffer and the vertex array that records them.
#pragma once

#include <memory>
#include <vector>

#include "Math.h"
#include "scene/MeshBuffers.h"

class Shader;

namespace kesto::scene {

struct MeshData {
    const std::vector<vec3>* positions = nullptr;
    const std::vector<vec3>* normals = nullptr;
    const std::vector<vec2>* uvs = nullptr;          // null: no "uv" attribute
    const std::vector<unsigned>* indices = nullptr;  // null: drawn with glDrawArrays
};

// The attribute locations are asked from shader; an attribute the program does not use falls
// back to the location every scene vertex shader declares for it (0, 1, 2).
SharedMesh uploadMesh(const MeshData& data, const Shader* shader);

// The OBJ mesh at path (with its uvs when textured) uploaded for shader, its vertex count in
// vertexCount; a file that cannot be read ends the game.
SharedMesh loadObjMeshOrStop(const char* path, bool textured, const Shader* shader,
                             int& vertexCount);

// glDrawArrays or glDrawElements of a GL_TRIANGLES mesh; leaves vertex array 0 bound.
void drawMesh(const SharedMesh& mesh, int count);

}  // namespace kesto::scene
