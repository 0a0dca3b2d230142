// Start-up, the frame loop and shut-down of the game process.
#pragma once

#include "platform/CommandLine.h"

// Opens the window, GL and sound, builds the Game, registers the callbacks.
// Asks about fullscreen unless the command line chose. Every failure prints its message,
// pauses and exits with status -1.
void init(const StartOptions& options);
// The part of init after glfwInit and the fullscreen question; the benchmark starts here too.
void openGame(bool fullscreen);
// One frame's work between the clear and the swap: movement, camera upload, update, picture.
void advanceFrame(double delta);
// Runs frames until Escape or the window is closed.
void runFrameLoop();
// Destroys the Game and closes the window.
void shutdown();
