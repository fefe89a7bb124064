// The end-of-install dialog: tells the user the install is done and offers
// to open the readme.
#pragma once

#include <windows.h>

// The user's choices from the last end dialog; 0 until one was shown.
extern int OpenReadmeAfterInstall;
extern int RunGameAfterInstall;

// ENDINSTALL_VISTA with the readme box when INSTREADME is set, else
// ENDINSTALL_VISTA_SHORT; sets the two flags.
void ShowEndDialog();
INT_PTR CALLBACK EndDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
