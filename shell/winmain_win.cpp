// The installer's entry point: the run's lifecycle from COM to the end.
#include <windows.h>

#include <objbase.h>

#include <cstdio>
#include <cstdlib>

#include "archive/extract_payload.h"
#include "config/section_lists.h"
#include "config/setting_table.h"
#include "resfile/file_locator.h"
#include "shell/mbtext.h"
#include "shell/messages.h"
#include "shell/work_folder.h"

namespace {

// atexit handlers are __cdecl; CoUninitialize is WINAPI.
void ReleaseCom() { CoUninitialize(); }

// 起動に必要なファイルが不足しています。\nインストールの異常終了、起動するフォルダ異常、等を確認してください。
constexpr char kSettingsMissing[] =
    "\x8b\x4e\x93\xae\x82\xc9\x95\x4b\x97\x76\x82\xc8\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x95\x73\x91\xab\x82\xb5"
    "\x82\xc4\x82\xa2\x82\xdc\x82\xb7\x81\x42\n"
    "\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x82\xcc\x88\xd9\x8f\xed\x8f\x49\x97\xb9\x81\x41\x8b\x4e\x93\xae"
    "\x82\xb7\x82\xe9\x83\x74\x83\x48\x83\x8b\x83\x5f\x88\xd9\x8f\xed\x81\x41\x93\x99\x82\xf0\x8a\x6d\x94\x46\x82\xb5"
    "\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81\x42";
// [ %s ] は既に起動中です
constexpr char kAlreadyRunningFormat[] = "[ %s ] \x82\xcd\x8a\xf9\x82\xc9\x8b\x4e\x93\xae\x92\x86\x82\xc5\x82\xb7";

// The set-up files are in the WorkFolder, the current directory: the
// settings file must be among them; both passes read it. The first use of
// the locator registers its lock's deletion before the table's release.
void LoadSettings() {
    char settingsFile[128] = "install.env";
    if (!ResourceFileExists(settingsFile)) {
        ShowError("%s", kSettingsMissing);
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
