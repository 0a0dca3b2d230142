#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/Console.h"

namespace {

// Puts the text on standard input, typed ahead on a pseudo-terminal or else down a pipe.
void stdinFrom(const char* text, bool terminal) {
    int ends[2];  // what the game reads, where the text is written
    if (terminal) {
        ends[1] = posix_openpt(O_RDWR | O_NOCTTY);
        if (ends[1] < 0 || grantpt(ends[1]) != 0 || unlockpt(ends[1]) != 0) std::_Exit(3);
        ends[0] = open(ptsname(ends[1]), O_RDWR | O_NOCTTY);
    } else if (pipe(ends) != 0) {
        std::_Exit(3);
    }
    if (ends[0] < 0 || write(ends[1], text, std::strlen(text)) < 0) std::_Exit(3);
    if (!terminal) close(ends[1]);
    dup2(ends[0], 0);
}

// The answer askYesNo gives, in a child without a graphical session, when the text is typed on a
// terminal (or, with no terminal, sent down a pipe).
void expectAnswer(const char* typed, bool terminal, int expected) {
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            stdinFrom(typed, terminal);
            std::exit(askYesNo("Would you like to run in fullscreen?", "Fullscreen") ? 1 : 0);
        },
        ::testing::ExitedWithCode(expected), "")
        << "typed '" << typed << "'" << (terminal ? "" : " down a pipe");
}

}  // namespace

TEST(Console, FatalErrorPrintsItsMessageAndExitsWith255WithoutWaiting) {
    // A pipe that never closes: waiting on it would hang the test.
    EXPECT_EXIT(
        {
            int ends[2];
            if (pipe(ends) != 0) std::_Exit(3);
            dup2(ends[0], 0);
            fatalError("Could not startup sound engine\n");
        },
        ::testing::ExitedWithCode(255), "Could not startup sound engine\n");
}

TEST(Console, AskYesNoReadsTheAnswerOnlyFromATerminal) {
    expectAnswer("y\n", false, 0);
    expectAnswer("y\n", true, 1);
    expectAnswer("  Yes please\n", true, 1);
    expectAnswer("n\n", true, 0);
    expectAnswer("\n", true, 0);  // just Enter: windowed
}
