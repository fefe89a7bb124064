// Opening a file with the shell and starting a program, shared by the
// launcher and the install sequence.
#pragma once

#include <cstddef>

// The longest path QuoteCommandLine takes: the quotes and the NUL fill a
// 260-byte command line.
constexpr size_t kQuotedPathLimit = 257;

// The command line "\"<path>\"" in out; false, with out empty, when the
// path is longer than kQuotedPathLimit (nothing is ever started with a cut path).
bool QuoteCommandLine(char (&out)[260], const char* path);

// Windows: opens the file with the shell verb "open", owned by the owner
// window, relative names from the current directory. Failures are silent.
void OpenWithShell(const char* file);

// Windows: starts the program with its quoted path as the whole command line,
// without waiting for it. Non-zero when the process was created.
int StartQuotedProgram(const char* program);
