#include "support/GlContext.h"

#include <GLFW/glfw3.h>

#include <cstdio>

bool ensureGlContext() {
    static GLFWwindow* window = nullptr;
    static bool tried = false;
    if (window) {
        glfwMakeContextCurrent(window);
        return true;
    }
    if (tried) return false;
    tried = true;
    if (!glfwInit()) return false;
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
    window = glfwCreateWindow(1024, 768, "Quillora tests", nullptr, nullptr);
    if (!window) return false;
    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) return false;
    while (glGetError() != GL_NO_ERROR) {
    }
    return true;
}
