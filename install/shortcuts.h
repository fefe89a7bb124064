// The shell links of an install: the Start-menu group with the game, its
// readme and its uninstaller, and the desktop link offered by MAKESHORTCUT.
// Every failure here is silent; the results only say whether all went well.
#pragma once

#include <windows.h>

// Writes one link file (an existing one is overwritten); negative on failure.
HRESULT CreateShortcut(const char* target, const char* linkPath, const char* description);

// The file-system path of a shell special folder into out[260].
bool GetSpecialFolderPath(HWND owner, int csidl, char* out);

// NT 6 or later; asked of the system once per run.
bool IsVistaOrLater();

// 0 when every link it tried was written, -1 otherwise or without a
// Programs folder.
int CreateStartMenuShortcuts(const char* installFolder);

// Asks in MAKESHORTCUT and makes the desktop link when asked to.
void AskDesktopShortcut(const char* installFolder);
INT_PTR CALLBACK DesktopShortcutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// 0 when the desktop link was written, -1 otherwise.
int CreateDesktopShortcut(const char* installFolder);
