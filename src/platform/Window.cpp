#include "platform/Window.h"

#include <GLFW/glfw3.h>

#include <cmath>

GLFWwindow* mainWindow = nullptr;

namespace {

// GLFW places the cursor in screen coordinates; the game thinks in framebuffer pixels
// (they differ on HiDPI screens).
void pixelsPerScreenUnit(double& sx, double& sy) {
    int windowW = 0, windowH = 0, pixelsW = 0, pixelsH = 0;
    glfwGetWindowSize(mainWindow, &windowW, &windowH);
    glfwGetFramebufferSize(mainWindow, &pixelsW, &pixelsH);
    sx = (windowW > 0 && pixelsW > 0) ? double(pixelsW) / windowW : 1.0;
    sy = (windowH > 0 && pixelsH > 0) ? double(pixelsH) / windowH : 1.0;
}

}  // namespace

void getCursorPos(int& x, int& y) {
    x = 0;
    y = 0;
    if (!mainWindow) return;
    double cx = 0.0, cy = 0.0, sx = 1.0, sy = 1.0;
    glfwGetCursorPos(mainWindow, &cx, &cy);
    pixelsPerScreenUnit(sx, sy);
    x = static_cast<int>(std::floor(cx * sx));
    y = static_cast<int>(std::floor(cy * sy));
}

void setCursorPos(int x, int y) {
    if (!mainWindow) return;
    double sx = 1.0, sy = 1.0;
    pixelsPerScreenUnit(sx, sy);
    glfwSetCursorPos(mainWindow, x / sx, y / sy);
}

void setCursorVisible(bool visible) {
    // Hidden, not disabled: a disabled cursor would ignore the absolute moves tests send.
    if (mainWindow)
        glfwSetInputMode(mainWindow, GLFW_CURSOR, visible ? GLFW_CURSOR_NORMAL : GLFW_CURSOR_HIDDEN);
}
