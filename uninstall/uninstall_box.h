// The uninstaller's message boxes: captioned with the game's title (the
// TITLEBAR setting, its default before the settings are read), owned by no
// window, since the dialog has ended when they show.
#pragma once

#include <string>

// An error with OK.
void ShowUninstallError(const std::string& text);
// Retry and Cancel with a warning icon; true for Retry.
bool AskRetryUninstall(const std::string& text);
// The end box, an information icon and OK.
void ShowUninstallDone(const std::string& text);
