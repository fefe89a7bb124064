#include "shell/launch.h"

#include <cstring>

bool QuoteCommandLine(char (&out)[260], const char* path) {
    size_t length = std::strlen(path);
    static_assert(kQuotedPathLimit + 3 == sizeof out);
    if (length > kQuotedPathLimit) {
        out[0] = '\0';
        return false;
    }
    out[0] = '"';
    std::memcpy(out + 1, path, length);
    out[length + 1] = '"';
    out[length + 2] = '\0';
    return true;
}
