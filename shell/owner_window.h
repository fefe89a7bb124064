// The window that owns every message box and later dialog (none until the
// main menu stores itself), and centring a window on the screen.
#pragma once

#include <windows.h>

void SetOwnerWindow(HWND window);
HWND GetOwnerWindow();

// Moves the window so that it is centred on the screen, keeping its size and Z order.
void CenterWindowOnScreen(HWND window);
