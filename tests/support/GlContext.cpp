#include "support/GlContext.h"

#include <GLFW/glfw3.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

void reportGlfwError(int code, const char* description) {
    std::fprintf(stderr, "GLFW error 0x%x: %s\n", code, description);
}

GLFWwindow* openHiddenWindow() {
    if (!glfwInit()) return nullptr;
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_OPENGL_FORWARD_COMPAT, GLFW_TRUE);
    GLFWwindow* window = glfwCreateWindow(1024, 768, "Quillora tests", nullptr, nullptr);
    if (!window) glfwTerminate();
    return window;
}

}  // namespace

bool ensureGlContext() {
    static GLFWwindow* window = nullptr;
    static bool tried = false;
    if (window) {
        glfwMakeContextCurrent(window);
        return true;
    }
    if (tried) return false;
    tried = true;
    glfwSetErrorCallback(reportGlfwError);
    // A shared Xvfb busy with several test programs at once now and then refuses a connection
    // for a moment; a few spaced attempts tell that apart from having no display at all.
    for (int attempt = 0; attempt < 5 && !window; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(300 * attempt));
        window = openHiddenWindow();
    }
    if (!window) return false;
    glfwMakeContextCurrent(window);
    glewExperimental = GL_TRUE;
    if (glewInit() != GLEW_OK) return false;
    while (glGetError() != GL_NO_ERROR) {
    }
    return true;
}
