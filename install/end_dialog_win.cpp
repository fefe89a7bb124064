#include "install/end_dialog.h"

#include <cstdio>

#include "config/setting_table.h"
#include "resources/resource.h"
#include "shell/owner_window.h"

int OpenReadmeAfterInstall = 0;
int RunGameAfterInstall = 0;

namespace {

char gReadmeLabel[512];
char gRunLabel[1024];

// 「%s」の実行
constexpr char kRunLabelFormat[] = "\x81\x75%s\x81\x76\x82\xcc\x8e\xc0\x8d\x73";

// Boxes that the template lacks are left alone and read as unticked.
void SetBox(HWND dialog, int id, WPARAM state, const char* label) {
    SendDlgItemMessageA(dialog, id, BM_SETCHECK, state, 0);
    SetDlgItemTextA(dialog, id, label);
}

int IsTicked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED ? 1 : 0; }

}  // namespace

void ShowEndDialog() {
    FindSettingText("INSTREADME", gReadmeLabel, sizeof gReadmeLabel, "-");
    std::snprintf(gRunLabel, sizeof gRunLabel, kRunLabelFormat, GetTitleBar());
    bool noReadme = gReadmeLabel[0] == '-';
    DialogBoxParamA(GetModuleHandleA(nullptr), noReadme ? "ENDINSTALL_VISTA_SHORT" : "ENDINSTALL_VISTA",
                    GetOwnerWindow(), EndDialogProc, 0);
    if (noReadme)
        OpenReadmeAfterInstall = 0;
}

INT_PTR CALLBACK EndDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SetBox(dialog, IDX_END_README, BST_UNCHECKED, gReadmeLabel);
        SetBox(dialog, IDX_END_RUN, BST_CHECKED, gRunLabel);
        CenterWindowOnScreen(dialog);
        return TRUE;
    case WM_COMMAND:
        if (wParam == IDOK) {
            OpenReadmeAfterInstall = IsTicked(dialog, IDX_END_README);
            RunGameAfterInstall = IsTicked(dialog, IDX_END_RUN);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (wParam == IDCANCEL) {
            OpenReadmeAfterInstall = 0;
            RunGameAfterInstall = 0;
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}
