// The event side of the game: keys, mouse buttons, gamepad, window size and focus.
#pragma once

#include "shell/Gamepad.h"

void onKey(int key, int action);
void onMouseButton(int button, int action);
void onWindowSize(int width, int height);
void onFocus(bool focused);
void startGame();
// One frame's pad state: the sticks for the movement step, the buttons and triggers as the
// mouse and keys would act (Start: the first click, then F1). True when Back asks to quit.
bool onGamepad(const GLFWgamepadstate& state);
