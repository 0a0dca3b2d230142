#include <gtest/gtest.h>

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/Console.h"

namespace {

void stdinFromDevNull() {
    int in = open("/dev/null", O_RDONLY);
    dup2(in, 0);
}

// Puts a pipe holding the text on standard input: input that is not a terminal.
void stdinFromPipe(const char* text) {
    int ends[2];
    if (pipe(ends) != 0) std::_Exit(3);
    if (write(ends[1], text, std::strlen(text)) < 0) std::_Exit(3);
    close(ends[1]);
    dup2(ends[0], 0);
}

// Puts a pseudo-terminal on standard input, with the text already typed on it.
void stdinFromTerminal(const char* typed) {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) std::_Exit(3);
    int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
    if (slave < 0) std::_Exit(3);
    dup2(slave, 0);
    if (write(master, typed, std::strlen(typed)) < 0) std::_Exit(3);
}

// The answer askYesNo gives, in a child, when the text is typed on a terminal.
void expectTerminalAnswer(const char* typed, bool underCi, int expected) {
    EXPECT_EXIT(
        {
            if (underCi) setenv("CI", "true", 1);
            else unsetenv("CI");
            stdinFromTerminal(typed);
            std::exit(askYesNo("Would you like to run in fullscreen?", "Fullscreen") ? 1 : 0);
        },
        ::testing::ExitedWithCode(expected), "")
        << "typed '" << typed << "'" << (underCi ? " under CI" : "");
}

}  // namespace

TEST(Console, FatalErrorPrintsItsMessageAndExitsWith255) {
    EXPECT_EXIT(
        {
            stdinFromDevNull();
            fatalError("Error reading object from file: '%s'", "Util/Files/Labyrinth2.txt");
        },
        ::testing::ExitedWithCode(255),
        "^Error reading object from file: 'Util/Files/Labyrinth2.txt'$");
}

TEST(Console, FatalErrorDoesNotWaitWithoutATerminal) {
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

TEST(Console, AskYesNoAnswersNoWhenNobodyCanAnswer) {
    EXPECT_EXIT(
        {
            unsetenv("CI");
            stdinFromPipe("y\n");
            std::exit(askYesNo("Would you like to run in fullscreen?", "Fullscreen") ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
    expectTerminalAnswer("y\n", true, 0);
}

TEST(Console, AskYesNoReadsTheAnswerOnATerminal) {
    expectTerminalAnswer("y\n", false, 1);
    expectTerminalAnswer("  Yes please\n", false, 1);
    expectTerminalAnswer("n\n", false, 0);
    expectTerminalAnswer("\n", false, 0);  // just Enter: windowed
}
