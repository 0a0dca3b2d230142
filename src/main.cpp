#include "platform/Application.h"
#include "platform/CommandLine.h"

int main(int argc, char** argv) {
    StartOptions options;
    if (std::optional<int> status = readCommandLine(argc, argv, options)) return *status;
    init(options);
    runFrameLoop();
    shutdown();
    return 0;
}
