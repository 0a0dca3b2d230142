// Start-up, the frame loop and shut-down of the game process.
#pragma once

#include "platform/CommandLine.h"
#include "platform/Settings.h"

// Opens the window, GL and sound, builds the Game, registers the callbacks. The command line
// wins over the settings; asks about fullscreen unless one of them chose. Every failure prints
// its message, pauses and exits with status -1. Wins are recorded.
void init(const StartOptions& options, Settings settings);
// The part of init after glfwInit and the fullscreen question; the benchmark starts here too.
// Frames wait for the display only when the settings ask for vsync.
void openGame(bool fullscreen, const Settings& settings = Settings());
// One frame's work between the clear and the swap: movement, camera upload, update, picture.
void advanceFrame(double delta);
// Runs frames until Escape, the pad's Back or the window is closed.
void runFrameLoop();
// Destroys the Game and closes the window.
void shutdown();
