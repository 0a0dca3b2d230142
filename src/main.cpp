#include "shell/Application.h"

int main() {
    init();
    runFrameLoop();
    shutdown();
    return 0;
}
