// The launcher window: the dialog "MAINDIALOG", run modally by start-up.
#pragma once

#include <windows.h>

// Lays out the button column, loads and paints the background picture, runs
// the buttons' actions. Ends the dialog with 0 after freeing the picture and
// removing the WorkFolder. Returns FALSE for every message, so the dialog
// manager sets no initial focus.
INT_PTR CALLBACK MainMenuProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
