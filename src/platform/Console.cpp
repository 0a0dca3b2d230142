#include "platform/Console.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <string>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#define isatty _isatty
#define STDIN_FILENO 0
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

namespace {

#ifndef _WIN32
enum class DialogAnswer { Yes, No, NoDialog };

bool graphicalSession() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

// Runs one dialog tool found on PATH and waits for it; its chatter stays off the game's log.
DialogAnswer runDialog(const char* const* argv) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int failed =
        posix_spawnp(&child, argv[0], &actions, nullptr, const_cast<char* const*>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) return DialogAnswer::NoDialog;
    int status = 0;
    while (waitpid(child, &status, 0) < 0)
        if (errno != EINTR) return DialogAnswer::NoDialog;
    if (!WIFEXITED(status)) return DialogAnswer::NoDialog;
    // Both tools answer 0 for yes and 1 for no or a closed dialog; anything else means the
    // tool itself failed (no display it can open, say), and the terminal gets its turn.
    if (WEXITSTATUS(status) == 0) return DialogAnswer::Yes;
    if (WEXITSTATUS(status) == 1) return DialogAnswer::No;
    return DialogAnswer::NoDialog;
}

DialogAnswer askInDialog(const char* question, const char* caption) {
    if (!graphicalSession()) return DialogAnswer::NoDialog;
    const std::string title = std::string("--title=") + caption;
    const std::string text = std::string("--text=") + question;
    const char* const zenity[] = {"zenity", "--question", title.c_str(), text.c_str(), nullptr};
    const char* const kdialog[] = {"kdialog", "--title", caption, "--yesno", question, nullptr};
    const DialogAnswer answer = runDialog(zenity);
    return answer != DialogAnswer::NoDialog ? answer : runDialog(kdialog);
}
#endif

// Reads one line from standard input; false at end of input.
bool readAnswerLine(std::string& line) {
    line.clear();
    int c;
    while ((c = std::getchar()) != EOF && c != '\n') line.push_back(static_cast<char>(c));
    return c != EOF || !line.empty();
}

}  // namespace

void consolePause() {
    std::fflush(stdout);
    std::fflush(stderr);
#ifdef _WIN32
    std::system("PAUSE");
#else
    if (!isatty(STDIN_FILENO)) return;
    std::fputs("Press Enter to continue . . . ", stdout);
    std::fflush(stdout);
    std::string ignored;
    readAnswerLine(ignored);
#endif
}

void fatalError(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    consolePause();
    std::exit(-1);
}

bool askYesNo(const char* question, const char* caption) {
#ifdef _WIN32
    wchar_t wideQuestion[512];
    wchar_t wideCaption[128];
    MultiByteToWideChar(CP_UTF8, 0, question, -1, wideQuestion, 512);
    MultiByteToWideChar(CP_UTF8, 0, caption, -1, wideCaption, 128);
    return MessageBoxW(nullptr, wideQuestion, wideCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
#else
    const DialogAnswer dialog = askInDialog(question, caption);
    if (dialog != DialogAnswer::NoDialog) return dialog == DialogAnswer::Yes;
    // Without a terminal (started from a menu, a pipe, a script) nobody could type the answer.
    if (!isatty(STDIN_FILENO)) return false;
    std::printf("%s: %s [y/N] ", caption, question);
    std::fflush(stdout);
    std::string answer;
    if (!readAnswerLine(answer)) return false;
    std::size_t first = answer.find_first_not_of(" \t\r");
    return first != std::string::npos && (answer[first] == 'y' || answer[first] == 'Y');
#endif
}
