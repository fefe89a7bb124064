#include "install/shortcuts.h"

#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "config/setting_table.h"
#include "install/link_plan.h"
#include "resources/resource.h"
#include "shell/owner_window.h"

namespace {

// An owned COM interface pointer: released once, when it goes.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() {
        if (p_)
            p_->Release();
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    void** out() { return reinterpret_cast<void**>(&p_); }

private:
    T* p_ = nullptr;
};

int gIsNt = -1;
int gIsVistaOrLater = -1;

// The install folder that AskDesktopShortcut's dialog links to.
const char* gDesktopInstallFolder = nullptr;

// A link that does not fit is not made and counts as failed.
HRESULT MakeLink(const PlannedLink& link) {
    if (!link.fits)
        return E_INVALIDARG;
    return CreateShortcut(link.target, link.file, link.description);
}

// What every link starts from: the special folder it goes into and the link
// settings, whose readme texts live here.
class LinkSetup {
public:
    explicit LinkSetup(int csidl)
        : found_(GetSpecialFolderPath(GetOwnerWindow(), csidl, folder_)),
          settings_(LinkSettingsFromTable(readmeLabel_, readmeFile_)) {}
    LinkSetup(const LinkSetup&) = delete;
    LinkSetup& operator=(const LinkSetup&) = delete;
    bool found() const { return found_; }
    const char* folder() const { return folder_; }
    const LinkSettings& settings() const { return settings_; }

private:
    char folder_[kPathSize] = {};
    char readmeLabel_[kPathSize] = {};
    char readmeFile_[kPathSize] = {};
    bool found_;
    LinkSettings settings_;
};

}  // namespace

HRESULT CreateShortcut(const char* target, const char* linkPath, const char* description) {
    ComPtr<IShellLinkA> link;
    HRESULT result = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.out());
    if (FAILED(result))
        return result;
    link->SetPath(target);
    link->SetDescription(description);
    char work[kPathSize];
    if (FolderPartOf(work, sizeof work, target))
        link->SetWorkingDirectory(work);
    ComPtr<IPersistFile> file;
    result = link->QueryInterface(IID_IPersistFile, file.out());
    if (FAILED(result))
        return result;
    WCHAR widePath[kPathSize];
    if (MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, kPathSize) == 0)
        return HRESULT_FROM_WIN32(GetLastError());
    return file->Save(widePath, TRUE);
}

bool GetSpecialFolderPath(HWND owner, int csidl, char* out) {
    ComPtr<IMalloc> allocator;
    if (FAILED(SHGetMalloc(reinterpret_cast<IMalloc**>(allocator.out()))))
        return false;
    LPITEMIDLIST items = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(owner, csidl, &items)))
        return false;
    BOOL found = SHGetPathFromIDListA(items, out);
    allocator->Free(items);
    return found != FALSE;
}

bool IsVistaOrLater() {
    if (gIsVistaOrLater != -1)
        return gIsVistaOrLater != 0;
    gIsVistaOrLater = 0;
    if (gIsNt == -1)
        gIsNt = (GetVersion() & 0x80000000u) == 0 ? 1 : 0;
    if (gIsNt == 0)
        return false;
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_NT || version.dwMajorVersion < 6)
        return false;
    gIsVistaOrLater = 1;
    return true;
}

int CreateStartMenuShortcuts(const char* installFolder) {
    LinkSetup setup(ProgramsFolderId(IsVistaOrLater()));
    if (!setup.found())
        return -1;
    GroupFolders folders = PlanGroupFolders(setup.folder(), setup.settings());
    for (int i = 0; i < folders.count; ++i)
        CreateDirectoryA(folders.path[i], nullptr);
    PlannedLink links[3];
    int count = PlanStartMenuLinks(setup.folder(), installFolder, setup.settings(), links);
    int result = 0;
    for (int i = 0; i < count; ++i) {
        if (FAILED(MakeLink(links[i])))
            result = -1;
    }
    return result;
}

void AskDesktopShortcut(const char* installFolder) {
    gDesktopInstallFolder = installFolder;
    DialogBoxParamA(GetModuleHandleA(nullptr), "MAKESHORTCUT", GetOwnerWindow(), DesktopShortcutDialogProc, 0);
    gDesktopInstallFolder = nullptr;
}

INT_PTR CALLBACK DesktopShortcutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        SendDlgItemMessageA(dialog, IDX_DESKTOP_SHORTCUT, BM_SETCHECK, BST_CHECKED, 0);
        CenterWindowOnScreen(dialog);
        return TRUE;
    case WM_COMMAND:
        if (wParam == IDOK) {
            if (IsDlgButtonChecked(dialog, IDX_DESKTOP_SHORTCUT) == BST_CHECKED)
                CreateDesktopShortcut(gDesktopInstallFolder);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (wParam == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

int CreateDesktopShortcut(const char* installFolder) {
    LinkSetup setup(DesktopFolderId(IsVistaOrLater()));
    if (!setup.found())
        return -1;
    return FAILED(MakeLink(PlanDesktopLink(setup.folder(), installFolder, setup.settings()))) ? -1 : 0;
}
