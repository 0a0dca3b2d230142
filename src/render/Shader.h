// One OpenGL program built from two or three GLSL files. Any failure is fatal at start-up.
#pragma once

#include <GL/glew.h>

#include <string>

#include "Math.h"

class Shader {
public:
    // An empty fragment or geometry path means the program has no such stage. Every stage's
    // source gets the shader contracts (render/ShaderContracts.h) and then defines (lines of
    // "#define NAME", for variants of one program) after its #version line; a line
    // #include "name" brings in the file of that name from the stage's folder.
    Shader(const std::string& vertexPath, const std::string& fragmentPath,
           const std::string& geometryPath, bool link, const std::string& defines = "");
    ~Shader();
    Shader(const Shader&) = delete;
    Shader& operator=(const Shader&) = delete;

    // Attaches the stages, binds "fragColor" to output 0 and links.
    void link();

    GLuint programHandle = 0;
    bool linked = false;
    GLuint vertexShader = 0;
    GLuint fragmentShader = 0;
    GLuint geometryShader = 0;

private:
    static void loadShader(const std::string& path, GLenum type, const std::string& defines,
                           GLuint& outHandle);
};

// Uniform helpers: the location is looked up by name before every write.
void setUniform(const Shader& shader, const char* name, const glm::mat4& value);
void setUniform(const Shader& shader, const char* name, const glm::vec2& value);
void setUniform(const Shader& shader, const char* name, const glm::vec3& value);
void setUniform(const Shader& shader, const char* name, const glm::vec4& value);
void setUniform(const Shader& shader, const char* name, float value);
void setUniform(const Shader& shader, const char* name, int value);
