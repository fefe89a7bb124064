#include "shell/owner_window.h"

namespace {

HWND gOwnerWindow;

}  // namespace

void SetOwnerWindow(HWND window) { gOwnerWindow = window; }

HWND GetOwnerWindow() { return gOwnerWindow; }

void CenterWindowOnScreen(HWND window) {
    RECT rect;
    GetWindowRect(window, &rect);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    HDC dc = GetDC(window);
    int screenWidth = GetDeviceCaps(dc, HORZRES);
    int screenHeight = GetDeviceCaps(dc, VERTRES);
    ReleaseDC(window, dc);
    SetWindowPos(window, nullptr, (screenWidth - width) / 2, (screenHeight - height) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);
}
