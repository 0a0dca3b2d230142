// The event side of the game: keys, mouse buttons, window size.
#pragma once

void onKey(int key, int action);
void onMouseButton(int button, int action);
void onWindowSize(int width, int height);
void startGame();
