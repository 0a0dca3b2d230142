// The one game window and the cursor helpers the input and movement code use.
#pragma once

struct GLFWwindow;

// The windowed size; a fullscreen window takes the desktop's.
constexpr int kWindowedWidth = 1024, kWindowedHeight = 768;

// The window opened at start-up; null in programs that open none.
extern GLFWwindow* mainWindow;
// Whether a captured pointer reads raw mouse motion where the system offers it.
extern bool useRawMouseMotion;

// Cursor position in window pixels; (0, 0) and no-op without a window.
void getCursorPos(int& x, int& y);
void setCursorPos(int x, int y);
// Captured (hidden, raw motion where offered) while playing, free while a poster is up.
void setCursorVisible(bool visible);
