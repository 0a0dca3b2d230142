#include "platform/CommandLine.h"
#include "platform/Settings.h"
#include "shell/Application.h"

int main(int argc, char** argv) {
    StartOptions options;
    if (std::optional<int> status = readCommandLine(argc, argv, options)) return *status;
    init(options, loadSettings(settingsPath()));
    runFrameLoop();
    shutdown();
    return 0;
}
