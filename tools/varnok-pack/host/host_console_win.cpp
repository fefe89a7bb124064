#include "tools/varnok-pack/host/host_console.h"

#include <conio.h>
#include <io.h>
#include <windows.h>

#include "tools/varnok-pack/host/wide_text_win.h"

namespace {

// The console behind a stream; nullptr for a pipe, a file or NUL (which
// the C runtime counts as a character device).
HANDLE ConsoleOf(FILE* stream) {
    auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode;
    return handle != INVALID_HANDLE_VALUE && GetConsoleMode(handle, &mode) ? handle : nullptr;
}

// Blanks the cursor's row from the cursor to its end.
void ClearToLineEnd(HANDLE console) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!GetConsoleScreenBufferInfo(console, &info) || info.dwCursorPosition.X >= info.dwSize.X)
        return;
    DWORD written;
    FillConsoleOutputCharacterW(console, L' ', static_cast<DWORD>(info.dwSize.X - info.dwCursorPosition.X),
                                info.dwCursorPosition, &written);
}

}  // namespace

bool IsTerminal(FILE* stream) { return ConsoleOf(stream) != nullptr; }

void WriteText(FILE* stream, std::string_view utf8) {
    HANDLE console = ConsoleOf(stream);
    if (!console) {
        std::fwrite(utf8.data(), 1, utf8.size(), stream);
        return;
    }
    std::fflush(stream);
    std::wstring wide = Utf8ToWide(utf8);
    for (size_t done = 0; done < wide.size();) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(wide.size() - done, 8192));
        DWORD written = 0;
        if (!WriteConsoleW(console, wide.data() + done, chunk, &written, nullptr) || written == 0)
            return;
        done += written;
    }
}

void ShowStatusLine(FILE* stream, const std::string& line) {
    WriteText(stream, "\r" + line);
    if (HANDLE console = ConsoleOf(stream))
        ClearToLineEnd(console);
    std::fflush(stream);
}

void ClearStatusLine(FILE* stream) {
    WriteText(stream, "\r");
    if (HANDLE console = ConsoleOf(stream))
        ClearToLineEnd(console);
    std::fflush(stream);
}

// A console of our own has no other process attached.
void WaitIfConsoleClosesWithUs() {
    DWORD processes[2];
    if (GetConsoleProcessList(processes, 2) != 1 || !ConsoleOf(stdout))
        return;
    WriteText(stdout, "\nPress any key to close this window.\n");
    _getwch();
}
