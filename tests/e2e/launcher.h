// The installer's launcher window as the end-to-end tests meet it.
#pragma once

#include <windows.h>

#include <string>

#include "tests/e2e/driver/win_driver.h"

// " スタートアップ", which follows the TITLEBAR value in the window title.
#define STARTUP_SUFFIX " \x83\x58\x83\x5e\x81\x5b\x83\x67\x83\x41\x83\x62\x83\x76"

constexpr int kMenuSlotIdBase = 1000;  // slot s has the control id 1000 + s
constexpr int kMenuSlots = 9;

// Waits for the launcher titled `windowTitle` and presses its exit button
// (slot 0); false when no launcher came up.
inline bool PressLauncherExit(const TestProcess& installer, const std::string& windowTitle, DWORD timeoutMs) {
    HWND menu = WaitForDialog(installer.Id(), windowTitle.c_str(), timeoutMs);
    if (!menu)
        return false;
    PressButton(menu, kMenuSlotIdBase);
    return true;
}
