// What the launcher window computes before it shows itself: which button
// slot does what, where the picture goes, and which DirectX set-up it starts.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int kMenuSlotCount = 9;
constexpr int kMenuFirstSlotId = 1000;  // slot s is the control 1000 + s

enum class MenuAction { None, Exit, DirectX, Readme, Install };

struct MenuSlot {
    MenuAction action;
    const char* text;  // null: the slot's button is destroyed
};

struct MenuColumn {
    MenuSlot slots[kMenuSlotCount];
};

// The column filled from the bottom: exit, DirectX when present, the readme
// when the label's first byte is not '-', install; every later slot unused.
// The readme slot's text is `readmeLabel` itself, which must outlive the column.
MenuColumn LayoutMenuColumn(bool hasDirectX, const char* readmeLabel);

// The slot whose control id is the whole wParam of a WM_COMMAND (so only a
// click notification matches), or -1.
int MenuSlotForCommand(uintptr_t wParam);

struct PicturePosition {
    int32_t x;
    int32_t y;
};

// Both margins come from the client area's height (rounding towards zero),
// so a square picture gets equal left and top margins.
PicturePosition MenuPicturePosition(int32_t clientTop, int32_t clientBottom, int32_t width, int32_t height);

// True for a folder path that exists.
using FolderTest = bool (*)(const char* path);

// The DirectX set-up: "<folder>\DirectX\dxsetup.exe" for the first of the
// work folder and the installer program's own folder that holds a "DirectX"
// folder. False, with `setup` empty, when neither does or the path would not
// fit in 260 bytes.
bool FindDirectXSetup(const char* workFolder, const char* programPath, FolderTest isFolder, char (&setup)[260]);
