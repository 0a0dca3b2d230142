// Console behaviour of the fatal paths: the pause that keeps a message readable, and the exit.
#pragma once

// Waits for Enter when standard input is a terminal; returns at once otherwise (a pipe, a script).
void consolePause();

// Prints the formatted message to standard error, pauses and exits with status -1.
[[noreturn]] void fatalError(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The yes/no question asked before the window opens: in a zenity or kdialog window when a
// graphical session has one, else on the terminal. Without either the answer is no.
bool askYesNo(const char* question, const char* caption);
