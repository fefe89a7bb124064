#include <windows.h>

#include <shlobj.h>

#include <cstring>
#include <memory>
#include <optional>

#include "config/setting_table.h"
#include "config/user_registry.h"
#include "install/destination_folder.h"
#include "install/destination_path.h"
#include "resources/resource.h"
#include "shell/mbtext.h"
#include "shell/messages.h"
#include "shell/no_follow.h"
#include "shell/owner_window.h"
#include "shell/path_size.h"

namespace {

// [%s]にインストールします
constexpr char kConfirmFormat[] = "[%s]\x82\xc9\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x82\xb5\x82\xdc\x82\xb7";
// フォルダを作成する場所を選択してください
constexpr char kBrowseTitle[] =
    "\x83\x74\x83\x48\x83\x8b\x83\x5f\x82\xf0\x8d\xec\x90\xac\x82\xb7\x82\xe9\x8f\xea\x8f\x8a\x82\xf0\x91\x49\x91"
    "\xf0\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2";
constexpr int kMaxLevels = 998;

// The proposal before SETUP, the edit field's text on OK, the path being
// normalised afterwards.
char gFolderEditText[kPathSize];

// Makes the directory that was current on construction current again.
class SavedDirectory {
public:
    SavedDirectory() {
        DWORD n = GetCurrentDirectoryA(sizeof path_, path_);
        saved_ = n > 0 && n < sizeof path_;
    }
    ~SavedDirectory() {
        if (saved_)
            SetCurrentDirectoryA(path_);
    }
    SavedDirectory(const SavedDirectory&) = delete;
    SavedDirectory& operator=(const SavedDirectory&) = delete;

private:
    char path_[2 * kPathSize];
    bool saved_;
};

struct ComReleaser {
    void operator()(IUnknown* object) const { object->Release(); }
};

// The settings the folder rules use; the Windows directory goes into windowsDir.
DestinationSettings CurrentSettings(char (&windowsDir)[kPathSize]) {
    UINT n = GetWindowsDirectoryA(windowsDir, sizeof windowsDir);
    if (n == 0 || n >= sizeof windowsDir)
        windowsDir[0] = '\0';
    return {windowsDir, GetInstFol(), GetInstTo(), GetInstMakeFol()};
}

// The default folder, replaced by the one an earlier install recorded.
FolderVerdict ProposeFolder(const DestinationSettings& settings) {
    FolderVerdict proposal = ComposeDefaultFolder(settings, gFolderEditText);
    const char* global = GetRegGlobal();
    const char* local = GetRegLocal();
    if (ReadUserInt(global, local, "IsInst", 0) != 0 &&
        ReadUserString(global, local, "InstTo", gFolderEditText, gFolderEditText, sizeof gFolderEditText) == 0)
        return FolderVerdict::Accepted;
    return proposal;
}

HINSTANCE DialogInstance(HWND owner) {
    return owner ? reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(owner, GWLP_HINSTANCE)) : GetModuleHandleA(nullptr);
}

// The normalised folder text, or nothing when SETUP was left without OK.
std::optional<FolderVerdict> RunSetup() {
    SavedDirectory saved;
    char windowsDir[kPathSize];
    DestinationSettings settings = CurrentSettings(windowsDir);
    if (FolderVerdict proposal = ProposeFolder(settings); proposal != FolderVerdict::Accepted)
        return proposal;
    HWND owner = GetOwnerWindow();
    // Anything but OK, a template that failed to load included, is a cancel.
    if (DialogBoxParamA(DialogInstance(owner), "SETUP", owner, SetupDialogProc, 0) != 1)
        return std::nullopt;
    return NormaliseDestination(settings, gFolderEditText);
}

// A level that is a link could lead the install, and the access batch, into
// any folder of the system. A drive ("C:" or "C:\\") is the volume itself,
// never a link a user planted, though a mounted volume's root shows as one.
bool IsLinkLevel(const char* prefix) {
    size_t length = std::strlen(prefix);
    bool drive = (length == 2 || (length == 3 && prefix[2] == '\\')) && prefix[1] == ':';
    return !drive && IsReparsePoint(prefix);
}

}  // namespace

int ChooseDestinationFolder(char* out) {
    std::optional<FolderVerdict> verdict = RunSetup();
    if (!verdict)
        return -1;
    if (*verdict == FolderVerdict::Root) {
        ShowRetryCancelError("%s", RefusalText(*verdict));
        return -1;
    }
    if (*verdict != FolderVerdict::Accepted) {
        ShowError("%s", RefusalText(*verdict));
        return -1;
    }
    if (!AskYesNo(kConfirmFormat, gFolderEditText))
        return -1;
    CopyText(out, kPathSize, gFolderEditText);
    return 0;
}

INT_PTR CALLBACK SetupDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        CenterWindowOnScreen(dialog);
        SetDlgItemTextA(dialog, IDE_SETUP_FOLDER, gFolderEditText);
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    // The whole wParam: only a click (notification 0), Enter or Esc counts.
    switch (wParam) {
    case IDOK:
        GetDlgItemTextA(dialog, IDE_SETUP_FOLDER, gFolderEditText, sizeof gFolderEditText);
        EndDialog(dialog, 1);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, 0);
        return TRUE;
    case IDB_SETUP_BROWSE:
        // A refused pick has said why; SETUP stays, its field as it was,
        // so that another folder can be picked or typed.
        if (BrowseForDestination(dialog) == 0)
            SetDlgItemTextA(dialog, IDE_SETUP_FOLDER, gFolderEditText);
        return TRUE;
    default:
        return FALSE;
    }
}

int BrowseForDestination(HWND owner) {
    char picked[kPathSize];
    BROWSEINFOA info = {};
    info.hwndOwner = owner;
    info.pszDisplayName = picked;
    info.lpszTitle = kBrowseTitle;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN;
    LPITEMIDLIST item = SHBrowseForFolderA(&info);
    if (!item)
        return 0;
    FolderVerdict verdict = FolderVerdict::Accepted;
    if (SHGetPathFromIDListA(item, picked)) {
        char windowsDir[kPathSize], composed[kPathSize];
        verdict = ComposeBrowsedFolder(CurrentSettings(windowsDir), picked, composed);
        if (verdict == FolderVerdict::Accepted)
            std::memcpy(gFolderEditText, composed, sizeof composed);
    }
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&allocator))) {
        std::unique_ptr<IMalloc, ComReleaser> owned(allocator);
        owned->Free(item);
    }
    if (verdict == FolderVerdict::Accepted)
        return 0;
    ShowError("%s", RefusalText(verdict));
    return -1;
}

int CreateFolderPath(const char* path) {
    char text[kPathSize];
    if (!CopyText(text, sizeof text, path))
        return 1;
    size_t length = std::strlen(text);
    if (length <= 2)
        return 1;
    // A drive root such as C:\ keeps its backslash.
    if (text[length - 1] == '\\' && text[length - 2] != ':' && !IsLeadByte(static_cast<unsigned char>(text[length - 2])))
        text[length - 1] = '\0';
    SavedDirectory saved;
    for (int n = 1; n <= kMaxLevels; ++n) {
        char prefix[kPathSize];
        PathPrefix(text, prefix, n);
        if (IsLinkLevel(prefix) || (!SetCurrentDirectoryA(prefix) && !CreateDirectoryA(prefix, nullptr)))
            return 1;
        if (std::strcmp(prefix, text) == 0)
            return 0;
    }
    return 0;
}
