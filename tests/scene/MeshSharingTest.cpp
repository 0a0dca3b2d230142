#include <gtest/gtest.h>

#include <memory>

#include "scene/WallObject.h"
#include "support/GlContext.h"

using kesto::scene::WallObject;

using MeshSharing = GlTest;

TEST_F(MeshSharing, CopiesNeverFreeThePrototypesNames) {
    auto prototype = std::make_unique<WallObject>(mat4(1.0f), nullptr);
    const GLuint vao = prototype->mesh->vao;
    const GLuint positions = prototype->mesh->positionBuffer;
    const GLuint indices = prototype->mesh->indexBuffer;
    ASSERT_TRUE(glIsVertexArray(vao));
    ASSERT_TRUE(glIsBuffer(positions));

    {
        std::vector<std::unique_ptr<WallObject>> walls;
        for (int i = 0; i < 3; ++i) walls.push_back(std::make_unique<WallObject>(*prototype));
        walls[1]->modelMatrix = glm::translate(walls[1]->modelMatrix, vec3(5, 0, 0));
        EXPECT_EQ(walls[1]->mesh->vao, vao);
        EXPECT_EQ(prototype->modelMatrix, mat4(1.0f));
        walls.erase(walls.begin() + 1);  // a copy taken out of its list
    }
    EXPECT_TRUE(glIsVertexArray(vao));
    EXPECT_TRUE(glIsBuffer(positions));
    EXPECT_TRUE(glIsBuffer(indices));

    prototype.reset();
    EXPECT_FALSE(glIsVertexArray(vao));
    EXPECT_FALSE(glIsBuffer(positions));
    EXPECT_FALSE(glIsBuffer(indices));
}

TEST_F(MeshSharing, WallBoxHasThirtySixIndicesAndDrawLeavesNoVertexArrayBound) {
    WallObject wall(mat4(1.0f), nullptr);
    GLint size = 0;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glBindVertexArray(wall.mesh->vao);
    glGetBufferParameteriv(GL_ELEMENT_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    EXPECT_EQ(size, 144);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, wall.mesh->positionBuffer);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    EXPECT_EQ(size, 288);
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    wall.draw();
    GLint bound = -1;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &bound);
    EXPECT_EQ(bound, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
