// The game's command-line options: how the screen is chosen, plus --help and --version.
#pragma once

#include <optional>

enum class ScreenChoice { Ask, Fullscreen, Windowed };

// Reads the options. Returns the exit status when the process should end here (--help and
// --version print to standard output and give 0; a word it does not know prints the usage to
// standard error and gives 2); returns nothing when the game should start with `screen`.
std::optional<int> readCommandLine(int argc, const char* const* argv, ScreenChoice& screen);
