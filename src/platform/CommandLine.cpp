#include "platform/CommandLine.h"

#include <cstdio>
#include <cstring>

#include "platform/Records.h"

#ifndef QUILLORA_VERSION
#error "QUILLORA_VERSION comes from the project version in CMakeLists.txt"
#endif

namespace {

const char kUsage[] =
    "Usage: quillora [OPTION]...\n"
    "Find the way through the maze to the finish gate before the time runs out.\n"
    "\n"
    "  --fullscreen    start fullscreen at the desktop's resolution, without asking\n"
    "  --windowed      start in a 1024 x 768 window, without asking\n"
    "  --no-raw-mouse  turn with the pointer as the desktop moves it: for tablets, remote\n"
    "                  desktops and virtual machines, where the view turns wrongly or not at all\n"
    "  --vsync         let frames wait for the display's refresh\n"
    "  --records       show the ten best times and exit\n"
    "  --help          show this help and exit\n"
    "  --version       show the version and exit\n"
    "\n"
    "Without --fullscreen or --windowed the game asks: in a dialog when zenity or kdialog is\n"
    "installed, else on the terminal; with neither it opens a window.\n"
    "Settings: $XDG_CONFIG_HOME/quillora/settings.ini (~/.config/...); options win over it.\n";

int usageError(const char* what, const char* word) {
    std::fprintf(stderr, "quillora: %s '%s'\n%s", what, word, kUsage);
    return 2;
}

}  // namespace

std::optional<int> readCommandLine(int argc, const char* const* argv, StartOptions& options) {
    options = StartOptions();
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const char* word = argv[i];
        if (optionsEnded || word[0] != '-') return usageError("unexpected argument", word);
        if (std::strcmp(word, "--") == 0) {
            optionsEnded = true;
        } else if (std::strcmp(word, "--fullscreen") == 0) {
            options.screen = ScreenChoice::Fullscreen;
        } else if (std::strcmp(word, "--windowed") == 0) {
            options.screen = ScreenChoice::Windowed;
        } else if (std::strcmp(word, "--no-raw-mouse") == 0) {
            options.rawMouseMotion = false;
        } else if (std::strcmp(word, "--vsync") == 0) {
            options.vsync = true;
        } else if (std::strcmp(word, "--records") == 0) {
            return printRecords(recordsPath());
        } else if (std::strcmp(word, "--help") == 0) {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (std::strcmp(word, "--version") == 0) {
            std::puts("Quillora " QUILLORA_VERSION);
            return 0;
        } else {
            return usageError("unrecognized option", word);
        }
    }
    return std::nullopt;
}
