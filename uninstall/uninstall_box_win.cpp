#include <windows.h>

#include "config/setting_table.h"
#include "uninstall/uninstall_box.h"

namespace {

int ShowBox(const std::string& text, UINT style) {
    return MessageBoxA(nullptr, text.c_str(), GetTitleBar(), style | MB_SETFOREGROUND);
}

}  // namespace

void ShowUninstallError(const std::string& text) { ShowBox(text, MB_OK | MB_ICONERROR); }

bool AskRetryUninstall(const std::string& text) { return ShowBox(text, MB_RETRYCANCEL | MB_ICONWARNING) == IDRETRY; }

void ShowUninstallDone(const std::string& text) { ShowBox(text, MB_OK | MB_ICONINFORMATION); }
