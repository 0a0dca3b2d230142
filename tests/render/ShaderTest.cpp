#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "assets/TempDir.h"
#include "render/Shader.h"
#include "support/GlContext.h"

using testing::AllOf;
using testing::HasSubstr;
using testing::Not;
using testing::StartsWith;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

const char* const kVertex =
    "#version 330 core\n"
    "layout(location = 0) in vec3 position;\n"
    "uniform mat4 modelMatrix;\n"
    "void main() { gl_Position = modelMatrix * vec4(position, 1.0); }\n";

// fragColor is declared second, so only the binding can give it output 0.
const char* const kFragment =
    "#version 330 core\n"
    "uniform vec3 colour;\n"
    "uniform float strength;\n"
    "uniform int mode;\n"
    "out vec4 decoy;\n"
    "out vec4 fragColor;\n"
    "void main() { decoy = vec4(0.5); fragColor = vec4(colour * strength, float(mode)); }\n";

// Runs in the dying child, which re-runs the test in a scratch directory of its own: it must
// never wait for Enter at a terminal, and its scratch directory goes with it.
std::string childScratch;
void withoutTerminal(const TempDir& scratch) {
    if (!freopen("/dev/null", "r", stdin)) perror("stdin");
    childScratch = scratch.path;
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(childScratch, ignored);
    });
}

class ShaderTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        GTEST_FLAG_SET(death_test_style, "threadsafe");
    }
    void TearDown() override { EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)); }
    // What a death test's child runs.
    void build(const std::string& vertex, const std::string& fragment = "",
               const std::string& geometry = "") {
        withoutTerminal(dir);
        Shader shader(vertex, fragment, geometry, true);
    }
    TempDir dir;
};

}  // namespace

TEST_F(ShaderTest, TwoStagesLinkOnceFragColorIsOutputZeroAndUniformsAreWrittenByName) {
    Shader shader(dir.write("a.vert", kVertex), dir.write("a.frag", kFragment), "", true);
    EXPECT_EQ(shader.geometryShader, 0u);
    const GLuint p = shader.programHandle;
    EXPECT_EQ(glGetFragDataLocation(p, "fragColor"), 0);
    CaptureStderr();
    shader.link();
    EXPECT_EQ(GetCapturedStderr(), "Trying to link shader, which is already linked\n");
    EXPECT_TRUE(shader.linked);
    GLint attached = 0;
    glGetProgramiv(p, GL_ATTACHED_SHADERS, &attached);
    EXPECT_EQ(attached, 2);

    glUseProgram(p);
    const mat4 model = glm::translate(mat4(1.0f), vec3(1, 2, 3));
    setUniform(shader, "modelMatrix", model);
    setUniform(shader, "colour", vec3(0.25f, 0.5f, 0.75f));
    setUniform(shader, "strength", 2.5f);
    setUniform(shader, "mode", 3);
    setUniform(shader, "notInTheProgram", 1.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "a missing name is ignored";
    mat4 read(0.0f);
    glGetUniformfv(p, glGetUniformLocation(p, "modelMatrix"), glm::value_ptr(read));
    EXPECT_EQ(read, model);
    glGetUniformfv(p, glGetUniformLocation(p, "colour"), glm::value_ptr(read));
    glGetUniformfv(p, glGetUniformLocation(p, "strength"), &read[1][0]);
    EXPECT_EQ(vec4(read[0][2], read[1][0], 0, 0), vec4(0.75f, 2.5f, 0, 0));
    GLint mode = 0;
    glGetUniformiv(p, glGetUniformLocation(p, "mode"), &mode);
    EXPECT_EQ(mode, 3);
    glUseProgram(0);
}

TEST_F(ShaderTest, MissingFileEndsTheProcessNamingThePath) {
    // The child's scratch directory has a name of its own: match the file name only.
    const std::string missing = dir.file("missing.frag");
    const std::string vertex = dir.write("a.vert", kVertex);
    const std::string broken = dir.write("broken.geom", "this is no GLSL");
    EXPECT_EXIT(build(vertex, missing, broken), testing::ExitedWithCode(255),
                AllOf(StartsWith("Failed to open shader file: /"), HasSubstr("/missing.frag\n"),
                      Not(HasSubstr("compile"))));
    // A directory opens but is no shader file.
    EXPECT_EXIT(build(dir.path), testing::ExitedWithCode(255),
                AllOf(StartsWith("Failed to open shader file: /"), Not(HasSubstr("compile"))));
}

TEST_F(ShaderTest, CompileOrLinkErrorEndsTheProcessWithTheDriverLog) {
    const std::string source = "#version 330 core\nvoid main() { gl_Position = vec4(1.0) }\n";
    // The driver's own words follow, naming the line.
    const std::string bad = dir.write("bad.vert", source);
    EXPECT_EXIT(
        build(bad), testing::ExitedWithCode(255),
        AllOf(StartsWith("Failed to compile shader\n"), HasSubstr("0:2"), HasSubstr("error")));
    const std::string empty = dir.write("empty.vert", "");
    EXPECT_EXIT(build(empty), testing::ExitedWithCode(255),
                StartsWith("Failed to compile shader\n"));

    const std::string vertex = dir.write("a.vert", kVertex);
    const std::string fragment =
        dir.write("needs.frag",
                  "#version 330 core\nvec4 neverDefined();\nout vec4 fragColor;\n"
                  "void main() { fragColor = neverDefined(); }\n");
    EXPECT_EXIT(build(vertex, fragment), testing::ExitedWithCode(255),
                AllOf(StartsWith("Failed to link shader program\n"), HasSubstr("neverDefined")));
}
