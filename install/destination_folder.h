// The destination folder: the SETUP dialog with its folder picker, and the
// creation of the chosen folder level by level.
#pragma once

#include <windows.h>

// Proposes the remembered folder (HKCU IsInst/InstTo as text) or the
// default one, runs SETUP owned by the owner window, normalises the text
// and asks for confirmation. 0 with the folder in out[260]; -1 after Cancel,
// a refused path (network, root, too long: each with its box) or No, out
// then untouched. The current directory is the same afterwards.
int ChooseDestinationFolder(char* out);

// SETUP's dialog procedure.
INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The folder picker; a pick puts the folder with the game's folders below
// it into the dialog's text. 0 after a pick or a cancel, -1 (after its box)
// when the result would pass 259 bytes.
int BrowseForDestination(HWND owner);

// Creates every missing level of path: 0 when all exist afterwards, 1 when
// one cannot be made, one is a link (reparse point) or the path is 2 bytes
// or shorter (a bare drive). The
// current directory is the same afterwards.
int CreateFolderPath(const char* path);
