#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

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
    "void main() { gl_Position = vec4(position, 1.0); }\n";

// fragColor is declared second, so only the binding can give it output 0.
const char* const kFragment =
    "#version 330 core\n"
    "out vec4 decoy;\n"
    "out vec4 fragColor;\n"
    "void main() { decoy = vec4(0.5); fragColor = vec4(1.0); }\n";

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

TEST_F(ShaderTest, TwoStagesLinkOnceFragColorIsOutputZeroAndMissingUniformsAreIgnored) {
    Shader shader(dir.write("a.vert", kVertex), dir.write("a.frag", kFragment), "", true);
    const GLuint p = shader.programHandle;
    EXPECT_EQ(glGetFragDataLocation(p, "fragColor"), 0);
    CaptureStderr();
    shader.link();
    EXPECT_EQ(GetCapturedStderr(), "Trying to link shader, which is already linked\n");
    EXPECT_TRUE(shader.linked);

    // Values reaching the programs are seen in every picture of the frame tests; a name a
    // program lacks must be passed over quietly.
    glUseProgram(p);
    setUniform(shader, "notInTheProgram", 1.0f);
    setUniform(shader, "notInTheProgram", mat4(1.0f));
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
    // So does a file a stage includes.
    const std::string including =
        dir.write("including.vert", "#version 330 core\n#include \"gone.glsl\"\n");
    EXPECT_EXIT(build(including), testing::ExitedWithCode(255),
                AllOf(StartsWith("Failed to open shader file: /"), HasSubstr("/gone.glsl\n")));
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
