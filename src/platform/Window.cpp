#include "platform/Window.h"

#include <GLFW/glfw3.h>

#include <cmath>

GLFWwindow* mainWindow = nullptr;
bool useRawMouseMotion = true;

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

// The scale measured by the last read, for the recentring that follows it at once.
double readScaleX = 1.0, readScaleY = 1.0;
bool readScaleFresh = false;

}  // namespace

void getCursorPos(int& x, int& y) {
    x = 0;
    y = 0;
    if (!mainWindow) return;
    double cx = 0.0, cy = 0.0;
    // Measured before the read: asking the window system for sizes between reading the pointer
    // and putting it back would widen the gap in which mouse motion is lost.
    pixelsPerScreenUnit(readScaleX, readScaleY);
    readScaleFresh = true;
    glfwGetCursorPos(mainWindow, &cx, &cy);
    x = static_cast<int>(std::floor(cx * readScaleX));
    y = static_cast<int>(std::floor(cy * readScaleY));
}

void setCursorPos(int x, int y) {
    if (!mainWindow) return;
    double sx = readScaleX, sy = readScaleY;
    if (!readScaleFresh) pixelsPerScreenUnit(sx, sy);
    readScaleFresh = false;
    glfwSetCursorPos(mainWindow, x / sx, y / sy);
}

void setCursorVisible(bool visible) {
    if (!mainWindow) return;
    // Captured, a quick flick cannot carry the pointer out of the window between two frames;
    // the game still reads it and puts it back at the centre, now a virtual position.
    glfwSetInputMode(mainWindow, GLFW_CURSOR, visible ? GLFW_CURSOR_NORMAL : GLFW_CURSOR_DISABLED);
    if (!visible && useRawMouseMotion && glfwRawMouseMotionSupported())
        glfwSetInputMode(mainWindow, GLFW_RAW_MOUSE_MOTION, GLFW_TRUE);
}
