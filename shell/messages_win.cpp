#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "shell/mbtext.h"
#include "shell/messages.h"
#include "shell/owner_window.h"

namespace {

constexpr size_t kMessageCapacity = 1024;
char gCaption[MAX_PATH];

using MessageText = char[kMessageCapacity];

// Formats the text and shows it in a box owned by the owner window, with its
// title as caption; error texts also go to the clipboard.
int ShowBox(UINT style, bool copyToClipboard, const char* format, va_list args) {
    MessageText text;
    FormatText(text, sizeof text, format, args);
    HWND owner = GetOwnerWindow();
    SetForegroundWindow(owner);
    if (copyToClipboard)
        CopyTextToClipboard(text);
    return MessageBoxA(owner, text, GetOwnerWindowText(), style);
}

// EmptyClipboard makes the window that opened the clipboard its owner, and
// Windows refuses SetClipboardData while there is none: before the menu
// exists there is no active window, so a hidden window of the program's own
// opens it then. It lives until the process ends.
HWND ClipboardOwner() {
    if (HWND active = GetActiveWindow())
        return active;
    static HWND hidden =
        CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    return hidden;
}

}  // namespace

void ShowRetryCancelError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    int answer = ShowBox(MB_RETRYCANCEL | MB_ICONERROR, true, format, args);
    va_end(args);
    // 0 is a box that could not be shown: nobody can answer Retry.
    if (answer != IDRETRY)
        std::exit(-1);
}

void ShowError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    ShowBox(MB_OK | MB_ICONERROR, true, format, args);
    va_end(args);
}

int AskYesNo(const char* format, ...) {
    va_list args;
    va_start(args, format);
    int answer = ShowBox(MB_YESNO | MB_ICONQUESTION, false, format, args);
    va_end(args);
    return answer == IDYES ? 1 : 0;
}

int CopyTextToClipboard(const char* text) {
    size_t size = std::strlen(text) + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    if (!block)
        return -1;
    if (void* locked = GlobalLock(block)) {
        std::memcpy(locked, text, size);
        GlobalUnlock(block);
    }
    // The clipboard owns the block once SetClipboardData took it.
    if (OpenClipboard(ClipboardOwner())) {
        EmptyClipboard();
        if (!SetClipboardData(CF_TEXT, block))
            GlobalFree(block);
        CloseClipboard();
    } else {
        GlobalFree(block);
    }
    return 0;
}

const char* GetOwnerWindowText() {
    gCaption[0] = '\0';
    if (HWND owner = GetOwnerWindow())
        GetWindowTextA(owner, gCaption, sizeof gCaption);
    return gCaption;
}
