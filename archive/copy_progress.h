// The copy progress window COPYINGDELUX of the full pass: an animation, the
// path of the file being written, a bar for that file and one for the whole
// archive, both counting in ProgressUnits. At most one is open at a time.
#pragma once

#include <windows.h>

#include <cstdint>

// Opens the window, owned by GetOwnerWindow(), with the overall bar running
// over `total` bytes. Closes a window left open first. nullptr when the
// window cannot be created.
HWND OpenCopyProgress(int32_t total);
void CloseCopyProgress();
// The open window, or nullptr.
HWND GetCopyProgressWindow();

// The label and the bars take what the two calls below give them when they
// are next let paint, at most this often; until then they keep what they
// show. Messages are pumped on every call all the same.
constexpr DWORD kCopyRepaintMs = 30;

// A file starts: its path on the label, the per-file bar over `size` bytes at 0.
void ShowCopyProgressFile(HWND window, const char* path, int32_t size);
// Moves both bars (window may be nullptr) and pumps the thread's messages.
void UpdateCopyProgress(HWND window, int64_t written, int32_t count);

INT_PTR CALLBACK CopyProgressProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
