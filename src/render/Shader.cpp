#include "render/Shader.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/Console.h"
#include "render/ShaderContracts.h"

namespace {

// Each line #include "name" replaced by the file of that name beside the including one: the
// functions the programs share are written once. The driver's messages keep the including
// file's line numbers after it.
std::string withIncludes(const std::string& source, const std::filesystem::path& folder) {
    static const std::string kInclude = "#include \"";
    std::string expanded;
    size_t at = 0;
    for (int number = 1; at < source.size(); ++number) {
        size_t end = source.find('\n', at);
        end = end == std::string::npos ? source.size() : end + 1;
        const std::string line = source.substr(at, end - at);
        at = end;
        if (line.compare(0, kInclude.size(), kInclude) != 0) {
            expanded += line;
            continue;
        }
        const std::string name =
            line.substr(kInclude.size(), line.find('"', kInclude.size()) - kInclude.size());
        const std::string path = (folder / name).string();
        std::ifstream stream(path);
        if (!stream) fatalError("Failed to open shader file: %s\n", path.c_str());
        expanded.append(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
        expanded += "\n#line " + std::to_string(number + 1) + "\n";
    }
    return expanded;
}

}  // namespace

Shader::Shader(const std::string& vertexPath, const std::string& fragmentPath,
               const std::string& geometryPath, bool link, const std::string& defines) {
    programHandle = glCreateProgram();
    if (programHandle == 0) fatalError("Could not retrieve program handle!\n");
    loadShader(vertexPath, GL_VERTEX_SHADER, defines, vertexShader);
    if (!fragmentPath.empty())
        loadShader(fragmentPath, GL_FRAGMENT_SHADER, defines, fragmentShader);
    if (!geometryPath.empty())
        loadShader(geometryPath, GL_GEOMETRY_SHADER, defines, geometryShader);
    linked = false;
    if (link) this->link();
}

Shader::~Shader() {
    glDeleteProgram(programHandle);
    glDeleteShader(vertexShader);
    if (fragmentShader != 0) glDeleteShader(fragmentShader);
    if (geometryShader != 0) glDeleteShader(geometryShader);
}

void Shader::loadShader(const std::string& path, GLenum type, const std::string& defines,
                        GLuint& outHandle) {
    std::ifstream stream(path);
    // A directory opens like a file here but holds no source.
    std::error_code ignored;
    if (!stream || std::filesystem::is_directory(path, ignored))
        fatalError("Failed to open shader file: %s\n", path.c_str());
    std::string source((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    stream.close();
    source = withIncludes(source, std::filesystem::path(path).parent_path());
    const size_t afterVersion = source.find('\n');
    source.insert(afterVersion == std::string::npos ? source.size() : afterVersion + 1,
                  shaderContracts() + defines + "#line 2\n");

    outHandle = glCreateShader(type);
    if (outHandle == 0) fatalError("Failed to create shader\n");
    const char* text = source.c_str();
    glShaderSource(outHandle, 1, &text, nullptr);
    glCompileShader(outHandle);

    GLint status = GL_FALSE;
    glGetShaderiv(outHandle, GL_COMPILE_STATUS, &status);
    if (status != GL_FALSE && glIsShader(outHandle)) return;

    GLint logLength = 0;
    glGetShaderiv(outHandle, GL_INFO_LOG_LENGTH, &logLength);
    // One spare byte keeps an empty log a valid string.
    std::vector<char> log(static_cast<size_t>(logLength > 0 ? logLength : 0) + 1, '\0');
    glGetShaderInfoLog(outHandle, logLength, nullptr, log.data());
    fatalError("Failed to compile shader\n%s\n", log.data());
}

void Shader::link() {
    if (linked) {
        fprintf(stderr, "Trying to link shader, which is already linked\n");
        return;
    }
    glAttachShader(programHandle, vertexShader);
    if (geometryShader != 0) glAttachShader(programHandle, geometryShader);
    if (fragmentShader != 0) {
        glAttachShader(programHandle, fragmentShader);
        glBindFragDataLocation(programHandle, 0, "fragColor");
    }
    glLinkProgram(programHandle);

    GLint status = GL_FALSE;
    glGetProgramiv(programHandle, GL_LINK_STATUS, &status);
    if (status != GL_FALSE) {
        linked = true;
        return;
    }
    GLint logLength = 0;
    glGetProgramiv(programHandle, GL_INFO_LOG_LENGTH, &logLength);
    std::vector<char> log(static_cast<size_t>(logLength > 0 ? logLength : 0) + 1, '\0');
    glGetProgramInfoLog(programHandle, logLength, nullptr, log.data());
    fatalError("Failed to link shader program\n%s\n", log.data());
}

// The writes go to the program in use; callers bind the shader's program first.
void setUniform(const Shader& shader, const char* name, const glm::mat4& value) {
    glUniformMatrix4fv(glGetUniformLocation(shader.programHandle, name), 1, GL_FALSE,
                       glm::value_ptr(value));
}

void setUniform(const Shader& shader, const char* name, const glm::vec3& value) {
    glUniform3fv(glGetUniformLocation(shader.programHandle, name), 1, glm::value_ptr(value));
}

void setUniform(const Shader& shader, const char* name, const glm::vec2& value) {
    glUniform2fv(glGetUniformLocation(shader.programHandle, name), 1, glm::value_ptr(value));
}

void setUniform(const Shader& shader, const char* name, const glm::vec4& value) {
    glUniform4fv(glGetUniformLocation(shader.programHandle, name), 1, glm::value_ptr(value));
}

void setUniform(const Shader& shader, const char* name, float value) {
    glUniform1f(glGetUniformLocation(shader.programHandle, name), value);
}

void setUniform(const Shader& shader, const char* name, int value) {
    glUniform1i(glGetUniformLocation(shader.programHandle, name), value);
}
