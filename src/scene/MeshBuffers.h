// GL names of one mesh. A prototype creates them; its copies share the same MeshBuffers
// through a shared_ptr, so copying an object never duplicates or frees GL objects, and the
// names are deleted once, when the last object drawing them is gone.
#pragma once

#include <GL/glew.h>

#include <memory>

namespace kesto::scene {

struct MeshBuffers {
    MeshBuffers() = default;
    ~MeshBuffers();
    MeshBuffers(const MeshBuffers&) = delete;
    MeshBuffers& operator=(const MeshBuffers&) = delete;

    GLuint vao = 0;
    GLuint positionBuffer = 0;
    GLuint normalBuffer = 0;
    GLuint uvBuffer = 0;     // 0 for meshes without texture coordinates
    GLuint indexBuffer = 0;  // 0 for unindexed meshes
};

using SharedMesh = std::shared_ptr<const MeshBuffers>;

}  // namespace kesto::scene
