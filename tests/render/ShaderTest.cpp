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

const char* const kGeometry =
    "#version 330 core\n"
    "layout(points) in;\n"
    "layout(points, max_vertices = 1) out;\n"
    "out float age;\n"
    "void main() { age = 1.0; gl_Position = gl_in[0].gl_Position; EmitVertex(); EndPrimitive(); "
    "}\n";

GLint programValue(GLuint program, GLenum name) {
    GLint value = -1;
    glGetProgramiv(program, name, &value);
    return value;
}

// The driver's own words for a source that does not compile.
std::string compileLog(const std::string& source) {
    GLuint shader = glCreateShader(GL_VERTEX_SHADER);
    const char* text = source.c_str();
    glShaderSource(shader, 1, &text, nullptr);
    glCompileShader(shader);
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::string log(static_cast<size_t>(length), '\0');
    glGetShaderInfoLog(shader, length, nullptr, log.data());
    glDeleteShader(shader);
    return log.c_str();
}

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
    std::string write(const std::string& name, const std::string& source) {
        return dir.write(name, source);
    }
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
    Shader shader(write("a.vert", kVertex), write("a.frag", kFragment), "", true);
    EXPECT_EQ(shader.geometryShader, 0u);
    const GLuint p = shader.programHandle;
    EXPECT_EQ(glGetFragDataLocation(p, "fragColor"), 0);
    CaptureStderr();
    shader.link();
    EXPECT_EQ(GetCapturedStderr(), "Trying to link shader, which is already linked\n");
    EXPECT_TRUE(shader.linked);
    EXPECT_EQ(programValue(p, GL_ATTACHED_SHADERS), 2);

    glUseProgram(p);
    const mat4 model = glm::translate(mat4(1.0f), vec3(1, 2, 3));
    setUniform(shader, "modelMatrix", model);
    setUniform(shader, "colour", vec3(0.25f, 0.5f, 0.75f));
    setUniform(shader, "strength", 2.5f);
    setUniform(shader, "mode", 3);
    setUniform(shader, "notInTheProgram", 1.0f);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "a missing name is ignored";
    mat4 readModel(0.0f);
    glGetUniformfv(p, glGetUniformLocation(p, "modelMatrix"), glm::value_ptr(readModel));
    EXPECT_EQ(readModel, model);
    GLfloat colour[3] = {};
    glGetUniformfv(p, glGetUniformLocation(p, "colour"), colour);
    EXPECT_EQ(colour[2], 0.75f);
    GLint mode = 0;
    glGetUniformiv(p, glGetUniformLocation(p, "mode"), &mode);
    EXPECT_EQ(mode, 3);
    glUseProgram(0);
}

TEST_F(ShaderTest, MissingFileEndsTheProcessNamingThePath) {
    // The child's scratch directory has a name of its own: match the file name only.
    const std::string missing = dir.file("missing.frag");
    const std::string vertex = write("a.vert", kVertex);
    const std::string broken = write("broken.geom", "this is no GLSL");
    EXPECT_EXIT(build(vertex, missing, broken), testing::ExitedWithCode(255),
                AllOf(StartsWith("Failed to open shader file: /"), HasSubstr("/missing.frag\n"),
                      Not(HasSubstr("compile"))));
    // A directory opens but is no shader file.
    EXPECT_EXIT(build(dir.path), testing::ExitedWithCode(255),
                AllOf(StartsWith("Failed to open shader file: /"), Not(HasSubstr("compile"))));
}

TEST_F(ShaderTest, CompileOrLinkErrorEndsTheProcessWithTheDriverLog) {
    const std::string source = "#version 330 core\nvoid main() { gl_Position = vec4(1.0) }\n";
    const std::string log = compileLog(source);
    ASSERT_FALSE(log.empty());
    const std::string bad = write("bad.vert", source);
    EXPECT_EXIT(build(bad), testing::ExitedWithCode(255),
                StartsWith("Failed to compile shader\n" + log + "\n"));
    const std::string empty = write("empty.vert", "");
    EXPECT_EXIT(build(empty), testing::ExitedWithCode(255),
                StartsWith("Failed to compile shader\n"));

    const std::string vertex = write("a.vert", kVertex);
    const std::string fragment =
        write("needs.frag",
              "#version 330 core\nvec4 neverDefined();\nout vec4 fragColor;\n"
              "void main() { fragColor = neverDefined(); }\n");
    EXPECT_EXIT(build(vertex, fragment), testing::ExitedWithCode(255),
                AllOf(StartsWith("Failed to link shader program\n"), HasSubstr("neverDefined")));
}
