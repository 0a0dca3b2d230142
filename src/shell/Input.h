// The event side of the game: keys, mouse buttons, window size and focus.
#pragma once

void onKey(int key, int action);
void onMouseButton(int button, int action);
void onWindowSize(int width, int height);
void onFocus(bool focused);
void startGame();
