#include "platform/Settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

const char kDefaultSettingsText[] =
    "# Quillora settings. Lines are 'key = value'; lines starting with # are comments.\n"
    "# The game only reads this file: delete it to get these defaults back.\n"
    "# Options on the command line (quillora --help) win over what is written here.\n"
    "\n"
    "# Fullscreen at start: ask, yes or no.\n"
    "fullscreen = ask\n"
    "\n"
    "# How fast the view follows the mouse and the right stick: 1.0 is normal, 0.5 half as fast\n"
    "# (0.1 to 10).\n"
    "pointer_speed = 1.0\n"
    "\n"
    "# true: moving the mouse forward looks down.\n"
    "invert_vertical_look = false\n"
    "\n"
    "# true: frames wait for the display's refresh (less heat, less tearing, more delay).\n"
    "vsync = false\n"
    "\n"
    "# Loudness in per cent (0 to 100).\n"
    "music_volume = 100\n"
    "effects_volume = 100\n";

namespace {

constexpr float kSlowestPointer = 0.1f, kFastestPointer = 10.0f;
// A settings file is a few hundred bytes; anything this large is something else.
constexpr size_t kLargestFile = 64 * 1024;

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool readFlag(const std::string& value, bool& flag) {
    if (value != "true" && value != "false") return false;
    flag = value == "true";
    return true;
}

// Reads one value into settings; the reason it cannot, or "".
std::string applySetting(const std::string& key, const std::string& value, Settings& settings) {
    char* end = nullptr;
    if (key == "fullscreen") {
        if (value == "ask")
            settings.fullscreen = FullscreenSetting::Ask;
        else if (value == "yes")
            settings.fullscreen = FullscreenSetting::Yes;
        else if (value == "no")
            settings.fullscreen = FullscreenSetting::No;
        else
            return "fullscreen is ask, yes or no, not '" + value + "'";
    } else if (key == "pointer_speed") {
        const float speed = std::strtof(value.c_str(), &end);
        if (value.empty() || *end != '\0' || !std::isfinite(speed))
            return "pointer_speed is a number, not '" + value + "'";
        if (speed < kSlowestPointer || speed > kFastestPointer)
            return "pointer_speed " + value + " is out of range (0.1 to 10)";
        settings.pointerSpeed = speed;
    } else if (key == "invert_vertical_look" || key == "vsync") {
        bool& flag = key == "vsync" ? settings.vsync : settings.invertVerticalLook;
        if (!readFlag(value, flag)) return key + " is true or false, not '" + value + "'";
    } else if (key == "music_volume" || key == "effects_volume") {
        const long volume = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || *end != '\0') return key + " is a whole number, not '" + value + "'";
        if (volume < 0 || volume > 100) return key + " " + value + " is out of range (0 to 100)";
        (key == "music_volume" ? settings.musicVolume : settings.effectsVolume) =
            static_cast<int>(volume);
    } else {
        return "unknown key '" + key + "'";
    }
    return "";
}

bool isText(const std::string& bytes) {
    for (const unsigned char c : bytes)
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') return false;
    return true;
}

std::string homeFolder(const char* variable, const char* underHome) {
    const char* value = std::getenv(variable);
    // A relative value is invalid and is ignored, as the XDG rules say.
    if (value && value[0] == '/') return value;
    const char* home = std::getenv("HOME");
    return std::string(home ? home : "") + underHome;
}

void warn(const std::string& message) { std::fprintf(stderr, "quillora: %s\n", message.c_str()); }

// Writes the default file unless one exists by now; the player's own is never replaced.
void writeDefaults(const std::string& path) {
    int file = -1;
    if (makeParentFolders(path))
        file = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (file < 0) {
        if (errno != EEXIST) warn("cannot write " + path + ": " + std::strerror(errno));
        return;
    }
    const size_t length = std::strlen(kDefaultSettingsText);
    const bool written =
        ::write(file, kDefaultSettingsText, length) == static_cast<ssize_t>(length);
    if (::close(file) != 0 || !written) {
        warn("cannot write " + path + "; it is removed again");
        ::unlink(path.c_str());
    }
}

}  // namespace

Settings parseSettings(const std::string& text, const std::string& name,
                       std::vector<std::string>& warnings) {
    Settings settings;
    // Some editors begin a UTF-8 file with a byte order mark.
    size_t start = text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    for (int number = 1; start < text.size(); ++number) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = trimmed(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == '#') continue;
        const size_t equals = line.find('=');
        const std::string where = name + " line " + std::to_string(number) + ": ";
        if (equals == std::string::npos) {
            warnings.push_back(where + "not a 'key = value' line");
            continue;
        }
        const std::string reason = applySetting(trimmed(line.substr(0, equals)),
                                                trimmed(line.substr(equals + 1)), settings);
        if (!reason.empty()) warnings.push_back(where + reason + "; the default stays");
    }
    return settings;
}

std::string settingsPath() {
    return homeFolder("XDG_CONFIG_HOME", "/.config") + "/quillora/settings.ini";
}

std::string dataFolder() { return homeFolder("XDG_DATA_HOME", "/.local/share") + "/quillora"; }

bool makeParentFolders(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    return true;
}

std::FILE* openRegularFile(const std::string& path, std::string& problem) {
    problem.clear();
    const int file = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (file < 0) {
        if (errno != ENOENT) problem = std::strerror(errno);
        return nullptr;
    }
    struct stat info {};
    if (::fstat(file, &info) == 0 && S_ISREG(info.st_mode))
        if (std::FILE* stream = ::fdopen(file, "rb")) return stream;
    ::close(file);
    problem = "not a plain file";
    return nullptr;
}

Settings loadSettings(const std::string& path) {
    std::string problem;
    std::FILE* file = openRegularFile(path, problem);
    if (!file) {
        if (problem.empty())
            writeDefaults(path);
        else
            warn(path + " cannot be read (" + problem + "); using the defaults");
        return Settings();
    }
    std::string bytes(kLargestFile + 1, '\0');
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file));
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed || bytes.size() > kLargestFile || !isText(bytes)) {
        warn(path + (failed ? " cannot be read" : " is not a settings file") +
             "; using the defaults");
        return Settings();
    }
    std::vector<std::string> warnings;
    const Settings settings = parseSettings(bytes, path, warnings);
    for (const std::string& warning : warnings) warn(warning);
    return settings;
}
