#include "archive/copy_progress.h"

#include <commctrl.h>

#include <algorithm>

#include "archive/payload_format.h"
#include "resources/resource.h"
#include "shell/dll_hardening.h"
#include "shell/mbtext.h"
#include "shell/message_pump.h"
#include "shell/owner_window.h"
#include "shell/path_size.h"

namespace {

HWND gCopyWindow;
HWND gAnimation;

// The bars and the label paint themselves on every change, and under Wine
// each change costs round trips to the server whether it paints or not;
// for a copy of many files that is a good share of its speed. So they stay
// frozen, and the newest file, range and positions are only kept here
// until a repaint is due (kCopyRepaintMs).
struct CopyShown {
    HWND label = nullptr;
    HWND fileBar = nullptr;
    HWND totalBar = nullptr;
    DWORD lastRepaint = 0;
    // What the window is to show; a new file's path and range are due.
    char path[kPathSize] = "";
    int64_t fileUnits = 0;
    int64_t fileUnit = 0;
    int64_t totalUnit = 0;
    bool fileDue = false;
    // What the bars hold.
    int64_t shownFileUnit = 0;
    int64_t shownTotalUnit = 0;
};
CopyShown gShown;

void FreezeControls(bool frozen) {
    for (HWND control : {gShown.label, gShown.fileBar, gShown.totalBar}) {
        SendMessageA(control, WM_SETREDRAW, frozen ? FALSE : TRUE, 0);
        if (!frozen)
            InvalidateRect(control, nullptr, TRUE);
    }
}

// Bar ranges are 16-bit: the upper bound is cut to its low word, as
// PBM_SETRANGE takes it.
void SetBarRange(HWND bar, int64_t units) {
    SendMessageA(bar, PBM_SETRANGE, 0, MAKELPARAM(0, static_cast<WORD>(units)));
}

void SetBarPosition(HWND bar, int64_t units, int64_t& shown) {
    if (units != shown)
        SendMessageA(bar, PBM_SETPOS, static_cast<WPARAM>(units), 0);
    shown = units;
}

// Hands the kept file, range and positions to the frozen controls.
void ApplyShown() {
    if (gShown.fileDue) {
        SetWindowTextA(gShown.label, gShown.path);
        SetBarRange(gShown.fileBar, gShown.fileUnits);
        gShown.shownFileUnit = -1;
        gShown.fileDue = false;
    }
    SetBarPosition(gShown.fileBar, gShown.fileUnit, gShown.shownFileUnit);
    SetBarPosition(gShown.totalBar, gShown.totalUnit, gShown.shownTotalUnit);
}

void PumpWithRepaintWhenDue() {
    DWORD now = GetTickCount();
    if (now - gShown.lastRepaint < kCopyRepaintMs) {
        PumpMessages(PumpScope::NoPaint);
        return;
    }
    gShown.lastRepaint = now;
    ApplyShown();
    FreezeControls(false);
    PumpMessages();
    FreezeControls(true);
}

void InitCopyProgress(HWND dialog) {
    CenterWindowOnScreen(dialog);
    gShown = CopyShown{.label = GetDlgItem(dialog, IDT_COPY_FILE_NAME),
                       .fileBar = GetDlgItem(dialog, IDP_COPY_FILE),
                       .totalBar = GetDlgItem(dialog, IDP_COPY_TOTAL)};
    SetWindowTextA(gShown.label, "");
    for (HWND bar : {gShown.fileBar, gShown.totalBar}) {
        SetBarRange(bar, 1);
        SendMessageA(bar, PBM_SETPOS, 0, 0);
    }
    gAnimation = GetDlgItem(dialog, IDA_COPY_ANIMATION);
    SendMessageA(gAnimation, ACM_OPENA, reinterpret_cast<WPARAM>(GetModuleHandleA(nullptr)),
                 reinterpret_cast<LPARAM>("AVI_FILECOPY"));
    SendMessageA(gAnimation, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF));
    ShowWindow(gAnimation, SW_SHOW);
}

}  // namespace

HWND OpenCopyProgress(int32_t total) {
    CloseCopyProgress();
    // The progress and animation classes exist only once the common controls are set up.
    // comctl32 is no KnownDLL: loaded from the system, never from beside the program.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS | ICC_ANIMATE_CLASS};
    using InitControls = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    if (auto init = reinterpret_cast<InitControls>(
            reinterpret_cast<void*>(SystemFunction("comctl32.dll", "InitCommonControlsEx"))))
        init(&controls);
    HWND owner = GetOwnerWindow();
    HINSTANCE instance = owner ? reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE))
                               : GetModuleHandleA(nullptr);
    gCopyWindow = CreateDialogParamA(instance, "COPYINGDELUX", owner, CopyProgressProc, 0);
    if (!gCopyWindow)
        return nullptr;
    PumpMessages();
    SetBarRange(gShown.totalBar, std::max<int32_t>(1, total / ProgressUnit));
    SendMessageA(gShown.totalBar, PBM_SETPOS, 0, 0);
    PumpMessages();
    FreezeControls(true);
    return gCopyWindow;
}

void CloseCopyProgress() {
    if (!gCopyWindow)
        return;
    DestroyWindow(gCopyWindow);
    gCopyWindow = nullptr;
    gAnimation = nullptr;
    PumpMessages();
}

HWND GetCopyProgressWindow() { return gCopyWindow; }

void ShowCopyProgressFile(HWND window, const char* path, int32_t size) {
    if (!window)
        return;
    CopyText(gShown.path, sizeof gShown.path, path);
    gShown.fileUnits = size / ProgressUnit;
    gShown.fileUnit = 0;
    gShown.fileDue = true;
}

void UpdateCopyProgress(HWND window, int64_t written, int32_t count) {
    if (!window) {
        PumpMessages();
        return;
    }
    gShown.fileUnit = written / ProgressUnit;
    gShown.totalUnit = count / ProgressUnit;
    PumpWithRepaintWhenDue();
}

INT_PTR CALLBACK CopyProgressProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        InitCopyProgress(dialog);
        return TRUE;
    case WM_COMMAND:
        // Cancel only stops the animation: the copy runs on to its end.
        if (wParam == IDCANCEL)
            SendMessageA(gAnimation, ACM_STOP, 0, 0);
        return FALSE;
    default:
        return FALSE;
    }
}
