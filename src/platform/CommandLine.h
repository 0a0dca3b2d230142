// The game's command-line options: the screen, the mouse, vsync, --records, --help and --version.
#pragma once

#include <optional>

enum class ScreenChoice { Ask, Fullscreen, Windowed };

struct StartOptions {
    ScreenChoice screen = ScreenChoice::Ask;
    // Raw motion reads the mouse itself; tablets, remote desktops and virtual machines move an
    // absolute pointer that only the ordinary motion follows.
    bool rawMouseMotion = true;
    bool vsync = false;
};

// Reads the options. Returns the exit status when the process should end here (--help,
// --version and --records print to standard output and give 0; a word it does not know prints the
// usage to standard error and gives 2); returns nothing when the game should start with `options`.
std::optional<int> readCommandLine(int argc, const char* const* argv, StartOptions& options);
