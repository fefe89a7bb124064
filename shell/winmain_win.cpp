// The installer's entry point: the run's lifecycle from COM to the end.
#include <windows.h>

#include <objbase.h>

#include <cstdio>
#include <cstdlib>

#include "archive/extract_payload.h"
#include "config/section_lists.h"
#include "config/setting_table.h"
#include "resfile/file_locator.h"
#include "shell/dll_hardening.h"
#include "shell/mbtext.h"
#include "shell/messages.h"
#include "shell/work_folder.h"

namespace {

// atexit handlers are __cdecl; CoUninitialize is WINAPI.
void ReleaseCom() { CoUninitialize(); }

// [ %s ] は既に起動中です
constexpr char kAlreadyRunningFormat[] = "[ %s ] \x82\xcd\x8a\xf9\x82\xc9\x8b\x4e\x93\xae\x92\x86\x82\xc5\x82\xb7";

// The set-up files are in the WorkFolder, the current directory: the
// settings file must be among them; both passes read it. The first use of
// the locator registers its lock's deletion before the table's release.
void LoadSettings() {
    char settingsFile[128] = "install.env";
    if (!ResourceFileExists(settingsFile)) {
        ShowError("%s", kSettingsFileMissingText);
        RemoveWorkFolder();
        std::exit(-1);
    }
    LoadSettingTable(settingsFile);
    LoadSectionLists(settingsFile);
}

// One copy per title: the mutex, named by the window title, is held until
// the process ends. The running copy is not told.
void RefuseSecondCopy() {
    HANDLE mutex = CreateMutexA(nullptr, TRUE, GetWindowTitle());
    if (!mutex) {
        RemoveWorkFolder();
        std::exit(0);
    }
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        char text[512];
        std::snprintf(text, sizeof text, kAlreadyRunningFormat, GetWindowTitle());
        MessageBoxA(nullptr, text, GetTitleBar(), MB_ICONERROR);
        RemoveWorkFolder();
        std::exit(0);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RestrictDllSearchToSystem32();
    SetMbCodePage(static_cast<int>(GetACP()));

    CoInitialize(nullptr);
    std::atexit(ReleaseCom);

    SetDirectOpenAllowed(1);

    CreateWorkFolder();

    ExtractPayload(GetWorkFolderPath(), ExtractModeSetup);

    LoadSettings();
    RefuseSecondCopy();

    RemoveWorkFolder();
    return 0;
}
