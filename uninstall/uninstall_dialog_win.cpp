#include <windows.h>

#include <cstdio>

#include "config/setting_table.h"
#include "resources/resource.h"
#include "shell/owner_window.h"
#include "uninstall/uninstall_dialog.h"

namespace {

// The template's own text is the format the title goes into; a title is at
// most 127 bytes, so the text always fits.
void ShowTitle(HWND dialog) {
    char format[128], text[256];
    GetDlgItemTextA(dialog, IDT_UNINSTALL_TITLE, format, sizeof format);
    std::snprintf(text, sizeof text, format, GetTitleBar());
    SetDlgItemTextA(dialog, IDT_UNINSTALL_TITLE, text);
}

INT_PTR CALLBACK UninstallDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ShowTitle(dialog);
        SetDlgItemTextA(dialog, IDT_UNINSTALL_FOLDER, reinterpret_cast<const std::string*>(lParam)->c_str());
        CheckDlgButton(dialog, IDX_UNINSTALL_SAVES, BST_UNCHECKED);
        CenterWindowOnScreen(dialog);
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    if (wParam == IDOK) {
        bool saves = IsDlgButtonChecked(dialog, IDX_UNINSTALL_SAVES) == BST_CHECKED;
        EndDialog(dialog, static_cast<INT_PTR>(saves ? UninstallAnswer::RemoveWithSaves : UninstallAnswer::Remove));
        return TRUE;
    }
    if (wParam == IDCANCEL) {
        EndDialog(dialog, static_cast<INT_PTR>(UninstallAnswer::Cancel));
        return TRUE;
    }
    return FALSE;
}

}  // namespace

UninstallAnswer AskUninstall(const std::string& folder) {
    INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), "UNINSTALL", nullptr, UninstallDialogProc,
                                     reinterpret_cast<LPARAM>(&folder));
    // A dialog that could not be shown removes nothing.
    return result == static_cast<INT_PTR>(UninstallAnswer::Remove) ||
                   result == static_cast<INT_PTR>(UninstallAnswer::RemoveWithSaves)
               ? static_cast<UninstallAnswer>(result)
               : UninstallAnswer::Cancel;
}
