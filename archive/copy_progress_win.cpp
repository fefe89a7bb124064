#include "archive/copy_progress.h"

#include <commctrl.h>

#include <algorithm>

#include "archive/payload_format.h"
#include "resources/resource.h"
#include "shell/dll_hardening.h"
#include "shell/message_pump.h"
#include "shell/owner_window.h"

namespace {

HWND gCopyWindow;
HWND gAnimation;

// The bars and the label paint themselves on every change, which costs a
// copy of many files a good share of its speed. They stay frozen, taking
// new positions and texts without painting, and are let paint at most this
// often; clicks are answered after every unit all the same.
constexpr DWORD kRepaintMs = 30;
constexpr int kLiveControls[] = {IDP_COPY_FILE, IDP_COPY_TOTAL, IDT_COPY_FILE_NAME};
DWORD gLastRepaint;

void FreezeControls(HWND window, bool frozen) {
    for (int id : kLiveControls) {
        HWND control = GetDlgItem(window, id);
        SendMessageA(control, WM_SETREDRAW, frozen ? FALSE : TRUE, 0);
        if (!frozen)
            InvalidateRect(control, nullptr, TRUE);
    }
}

void PumpWithRepaintWhenDue(HWND window) {
    DWORD now = GetTickCount();
    if (now - gLastRepaint < kRepaintMs) {
        PumpMessages(PumpScope::NoPaint);
        return;
    }
    gLastRepaint = now;
    FreezeControls(window, false);
    PumpMessages();
    FreezeControls(window, true);
}

// Bar ranges are 16-bit: the upper bound is cut to its low word, as
// PBM_SETRANGE takes it.
void SetBarRange(HWND window, int id, int64_t units) {
    SendDlgItemMessageA(window, id, PBM_SETRANGE, 0, MAKELPARAM(0, static_cast<WORD>(units)));
}

void SetBarPosition(HWND window, int id, int64_t units) {
    SendDlgItemMessageA(window, id, PBM_SETPOS, static_cast<WPARAM>(units), 0);
}

void InitCopyProgress(HWND dialog) {
    CenterWindowOnScreen(dialog);
    SetDlgItemTextA(dialog, IDT_COPY_FILE_NAME, "");
    for (int bar : {IDP_COPY_FILE, IDP_COPY_TOTAL}) {
        SetBarRange(dialog, bar, 1);
        SetBarPosition(dialog, bar, 0);
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
    SetBarRange(gCopyWindow, IDP_COPY_TOTAL, std::max<int32_t>(1, total / ProgressUnit));
    SetBarPosition(gCopyWindow, IDP_COPY_TOTAL, 0);
    PumpMessages();
    FreezeControls(gCopyWindow, true);
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
    SetDlgItemTextA(window, IDT_COPY_FILE_NAME, path);
    SetBarRange(window, IDP_COPY_FILE, size / ProgressUnit);
    SetBarPosition(window, IDP_COPY_FILE, 0);
}

void UpdateCopyProgress(HWND window, int64_t written, int32_t count) {
    if (!window) {
        PumpMessages();
        return;
    }
    SetBarPosition(window, IDP_COPY_FILE, written / ProgressUnit);
    SetBarPosition(window, IDP_COPY_TOTAL, count / ProgressUnit);
    PumpWithRepaintWhenDue(window);
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
