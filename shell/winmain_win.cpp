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
#include "shell/main_menu.h"
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

// メインメニューを表示できませんでした。(%lu)
constexpr char kMenuFailedFormat[] =
    "\x83\x81\x83\x43\x83\x93\x83\x81\x83\x6a\x83\x85\x81\x5b\x82\xf0\x95\x5c\x8e\xa6\x82\xc5\x82\xab\x82\xdc"
    "\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\x81\x42(%lu)";

// The menu ends with 0 once it has freed its picture and removed the
// WorkFolder; any other result runs it again. A menu that cannot be created
// at all is a fatal start-up failure like a missing settings file.
void RunMainMenu(HINSTANCE instance) {
    for (;;) {
        INT_PTR result = DialogBoxParamA(instance, "MAINDIALOG", nullptr, MainMenuProc, 0);
        if (result == 0)
            return;
        if (result == -1) {
            ShowError(kMenuFailedFormat, GetLastError());
            RemoveWorkFolder();
            std::exit(-1);
        }
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    RestrictDllSearchToSystem32();
    SetMbCodePage(static_cast<int>(GetACP()));

    CoInitialize(nullptr);
    std::atexit(ReleaseCom);

    SetDirectOpenAllowed(1);

    CreateWorkFolder();

    ExtractPayload(GetWorkFolderPath(), ExtractModeSetup);

    LoadSettings();
    RefuseSecondCopy();

    RunMainMenu(instance);
    return 0;
}
