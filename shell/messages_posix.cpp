// The native counterpart of the message boxes: there is nobody to answer, so
// each message goes to stderr and every question takes its safe answer.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "shell/mbtext.h"
#include "shell/messages.h"

namespace {

void Print(const char* kind, const char* format, va_list args) {
    char text[1024];
    FormatText(text, sizeof text, format, args);
    std::fprintf(stderr, "%s: %s\n", kind, text);
}

}  // namespace

// Cancel is the only answer: the process ends with -1.
void ShowRetryCancelError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Print("error", format, args);
    va_end(args);
    std::exit(-1);
}

void ShowError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Print("error", format, args);
    va_end(args);
}

int AskYesNo(const char* format, ...) {
    va_list args;
    va_start(args, format);
    Print("question (answered no)", format, args);
    va_end(args);
    return 0;
}
