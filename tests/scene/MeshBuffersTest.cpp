#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

#include "scene/WallObject.h"
#include "support/GlContext.h"

using kesto::scene::WallObject;

namespace {

struct Names {
    GLuint vao, position, normal, index;
};

std::vector<bool> alive(const Names& n) {
    return {glIsVertexArray(n.vao) == GL_TRUE, glIsBuffer(n.position) == GL_TRUE,
            glIsBuffer(n.normal) == GL_TRUE, glIsBuffer(n.index) == GL_TRUE};
}

}  // namespace

using MeshBuffers = GlTest;

// Walls are copies of one indexed box: dropping a copy frees nothing, dropping the prototype
// frees every name, the index buffer included.
TEST_F(MeshBuffers, CopiesNeverFreeThePrototypesNamesThePrototypeFreesThemAll) {
    auto prototype = std::make_unique<WallObject>(mat4(1.0f), nullptr);
    const auto& mesh = *prototype->mesh;
    const Names names{mesh.vao, mesh.positionBuffer, mesh.normalBuffer, mesh.indexBuffer};
    const std::vector<bool> all(4, true), none(4, false);
    ASSERT_EQ(alive(names), all);
    std::optional<WallObject> copy(*prototype);
    copy.reset();
    EXPECT_EQ(alive(names), all);
    prototype.reset();
    EXPECT_EQ(alive(names), none);
}
