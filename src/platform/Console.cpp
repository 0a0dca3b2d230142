#include "platform/Console.h"

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
#include <unistd.h>
#endif

namespace {

// CI runners may hand us a terminal that nobody watches.
bool someoneCanAnswer() {
    const char* ci = std::getenv("CI");
    if (ci && *ci && std::string(ci) != "0" && std::string(ci) != "false") return false;
    return isatty(STDIN_FILENO) != 0;
}

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
    if (!someoneCanAnswer()) return false;
    std::printf("%s: %s [y/N] ", caption, question);
    std::fflush(stdout);
    std::string answer;
    if (!readAnswerLine(answer)) return false;
    std::size_t first = answer.find_first_not_of(" \t\r");
    return first != std::string::npos && (answer[first] == 'y' || answer[first] == 'Y');
#endif
}
