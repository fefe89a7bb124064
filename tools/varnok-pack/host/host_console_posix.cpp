#include "tools/varnok-pack/host/host_console.h"

#include <unistd.h>

bool IsTerminal(FILE* stream) { return isatty(fileno(stream)) == 1; }

void WriteText(FILE* stream, std::string_view utf8) { std::fwrite(utf8.data(), 1, utf8.size(), stream); }

void ShowStatusLine(FILE* stream, const std::string& line) {
    std::fprintf(stream, "\r%s\033[K", line.c_str());
    std::fflush(stream);
}

void ClearStatusLine(FILE* stream) {
    std::fputs("\r\033[K", stream);
    std::fflush(stream);
}

// A terminal outlives the programs started in it.
void WaitIfConsoleClosesWithUs() {}
