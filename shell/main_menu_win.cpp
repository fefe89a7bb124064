#include "shell/main_menu.h"

#include <sys/stat.h>

#include "config/setting_table.h"
#include "install/install_sequence.h"
#include "resfile/dib_surface.h"
#include "resfile/rct_picture.h"
#include "shell/launch.h"
#include "shell/menu_layout.h"
#include "shell/owner_window.h"
#include "shell/path_size.h"
#include "shell/work_folder.h"

namespace {

struct MenuState {
    MenuColumn column;
    int busy;  // an action runs: buttons and the close box are ignored
    DibSurface* picture;  // null when the picture did not decode
    PicturePosition position;
    char label[kSettingValueSize];        // INSTREADME, the readme button's text
    char directXSetup[kPathSize];          // the set-up program's full path, when found
};

MenuState gMenu;

bool IsFolder(const char* path) {
    struct _stat info;
    return _stat(path, &info) == 0 && (info.st_mode & _S_IFDIR) != 0;
}

// The DirectX folder is looked for in the WorkFolder and then beside the
// installer program (a disc or download layout); the set-up program is
// started by its full path, which later changes of the current directory
// do not affect.
bool FindDirectX() {
    char program[kPathSize];
    DWORD n = GetModuleFileNameA(nullptr, program, sizeof program);
    if (n == 0 || n >= sizeof program)
        program[0] = '\0';
    return FindDirectXSetup(GetWorkFolderPath(), program, IsFolder, gMenu.directXSetup);
}

void InitMenu(HWND dialog) {
    SetOwnerWindow(dialog);
    CenterWindowOnScreen(dialog);
    gMenu.busy = 0;
    SetWindowTextA(dialog, GetWindowTitle());

    bool hasDirectX = FindDirectX();
    FindSettingText("INSTREADME", gMenu.label, sizeof gMenu.label, "-");
    gMenu.column = LayoutMenuColumn(hasDirectX, gMenu.label);
    for (int slot = 0; slot < kMenuSlotCount; ++slot) {
        HWND button = GetDlgItem(dialog, kMenuFirstSlotId + slot);
        if (gMenu.column.slots[slot].text)
            SetWindowTextA(button, gMenu.column.slots[slot].text);
        else
            DestroyWindow(button);
    }

    // A missing file is asked about by the locator, in a box owned by this
    // window. A picture that does not decode leaves its area in the
    // dialog's background colour.
    gMenu.picture = LoadRctPicture("insttscr.rct");
    RECT client;
    GetClientRect(dialog, &client);
    if (gMenu.picture)
        gMenu.position = MenuPicturePosition(client.top, client.bottom, gMenu.picture->width, gMenu.picture->height);
}

void PaintMenu(HWND dialog) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(dialog, &paint);
    if (const DibSurface* picture = gMenu.picture) {
        StretchDIBits(dc, gMenu.position.x, gMenu.position.y, picture->width, picture->height, 0, 0, picture->width,
                      picture->height, picture->bits, picture->bitmapInfo, DIB_RGB_COLORS, SRCCOPY);
    }
    EndPaint(dialog, &paint);
}

void CloseMenu(HWND dialog) {
    FreeDibSurface(gMenu.picture, 0);
    gMenu.picture = nullptr;
    RemoveWorkFolder();
    EndDialog(dialog, 0);
}

void RunAction(HWND dialog, MenuAction action) {
    switch (action) {
    case MenuAction::Install:
        if (RunInstallSequence() == 0)
            CloseMenu(dialog);
        break;
    case MenuAction::DirectX:
        StartQuotedProgram(gMenu.directXSetup);
        break;
    case MenuAction::Readme: {
        char file[kSettingValueSize];
        FindSettingText("INSTREADMEFL", file, sizeof file, "readme.txt");
        OpenWithShell(file);
        break;
    }
    case MenuAction::Exit:
        CloseMenu(dialog);
        break;
    case MenuAction::None:
        break;
    }
}

// The dialogs and pumping of a running action can deliver further clicks;
// the busy flag drops them.
void RunCommand(HWND dialog, WPARAM wParam) {
    if (gMenu.busy)
        return;
    gMenu.busy = 1;
    int slot = MenuSlotForCommand(wParam);
    if (slot >= 0)
        RunAction(dialog, gMenu.column.slots[slot].action);
    gMenu.busy = 0;
}

}  // namespace

INT_PTR CALLBACK MainMenuProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        InitMenu(dialog);
        break;
    case WM_PAINT:
        PaintMenu(dialog);
        break;
    case WM_COMMAND:
        RunCommand(dialog, wParam);
        break;
    case WM_CLOSE:
        if (!gMenu.busy)
            CloseMenu(dialog);
        break;
    }
    return FALSE;
}
