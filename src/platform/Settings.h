// The player's settings file, settings.ini under the XDG config folder: read once at start-up,
// written with its defaults and comments only when it does not exist yet.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

enum class FullscreenSetting { Ask, Yes, No };

struct Settings {
    FullscreenSetting fullscreen = FullscreenSetting::Ask;
    float pointerSpeed = 1.0f;  // a factor of the built-in turn per pixel
    bool invertVerticalLook = false;
    bool vsync = false;
    int musicVolume = 100;  // per cent
    int effectsVolume = 100;
};

// The file a new player finds: every key at its default, each explained.
extern const char kDefaultSettingsText[];

// Reads the text of a settings file. Each line it cannot use is reported in `warnings` as
// "<name> line <n>: <why>" and its key keeps its default.
Settings parseSettings(const std::string& text, const std::string& name,
                       std::vector<std::string>& warnings);

// $XDG_CONFIG_HOME/quillora/settings.ini, or ~/.config/quillora/settings.ini when unset.
std::string settingsPath();
// $XDG_DATA_HOME/quillora, or ~/.local/share/quillora when unset.
std::string dataFolder();
// Creates the folders along path (not its last part); false when one cannot be made.
bool makeParentFolders(const std::string& path);

// Opens path for reading when it is a plain file: a pipe there would block, a folder cannot be
// read. Null otherwise, with `problem` saying why, or empty when there is no such file.
std::FILE* openRegularFile(const std::string& path, std::string& problem);

// Reads the file at path, or writes the default one there when it is missing. Never fails:
// whatever goes wrong is printed to standard error and the defaults stand in.
Settings loadSettings(const std::string& path);
