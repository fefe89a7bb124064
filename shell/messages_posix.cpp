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
    va_list copy;
    va_copy(copy, args);
    int needed = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (needed < 0)
        return;
    char* full = static_cast<char*>(std::malloc(static_cast<size_t>(needed) + 1));
    if (!full)
        return;
    std::vsnprintf(full, static_cast<size_t>(needed) + 1, format, args);
    CopyText(text, sizeof text, full);
    std::free(full);
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
