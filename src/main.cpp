#include "platform/Application.h"
#include "platform/CommandLine.h"

int main(int argc, char** argv) {
    ScreenChoice screen = ScreenChoice::Ask;
    if (std::optional<int> status = readCommandLine(argc, argv, screen)) return *status;
    init(screen);
    runFrameLoop();
    shutdown();
    return 0;
}
