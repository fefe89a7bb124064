#include "install/registration.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "archive/stdio_file.h"
#include "config/setting_table.h"
#include "install/link_plan.h"
#include "install/registration_plan.h"
#include "shell/win_handles.h"

namespace {

UniqueKey CreateMachineKey(const char* name) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, name, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return UniqueKey(key);
}

// A REG_SZ value with its NUL counted, in a key created for this value alone.
void WriteMachineString(const char* keyName, const char* valueName, const char* text) {
    UniqueKey key = CreateMachineKey(keyName);
    if (key)
        RegSetValueExA(key.get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                       static_cast<DWORD>(std::strlen(text) + 1));
}

bool TempFolderFile(char (&out)[kPathSize], const char* name) {
    char temp[kPathSize];
    DWORD length = GetTempPathA(sizeof temp, temp);
    return length > 0 && length < sizeof temp && JoinFolderFile(out, sizeof out, temp, name);
}

void StartProcess(char* commandLine, DWORD creationFlags, STARTUPINFOA* startup) {
    PROCESS_INFORMATION process = {};
    if (CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, creationFlags, nullptr, nullptr, startup,
                       &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

BatchStarter gStartBatch = StartProcess;

void StartHidden(char* commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    gStartBatch(commandLine, IDLE_PRIORITY_CLASS, &startup);
}

}  // namespace

int ProbeFolderWritable(const char* installFolder) {
    char probe[kPathSize];
    if (!JoinFolderFile(probe, sizeof probe, installFolder, kProbeFileName))
        return 1;
    UniqueFile file(std::fopen(probe, "wb"));
    if (!file)
        return 1;
    file.reset();
    DeleteFileA(probe);
    return 0;
}

void GrantFolderAccess(const char* installFolder) {
    char batch[kPathSize];
    char text[kAccessBatchTextSize];
    bool written = false;
    if (TempFolderFile(batch, kAccessBatchName) && FormatAccessBatch(text, sizeof text, installFolder, batch)) {
        UniqueFile file(std::fopen(batch, "wt"));
        written = file && std::fputs(text, file.get()) >= 0 && std::fclose(file.release()) == 0;
    }
    char temp[kPathSize];
    DWORD length = GetTempPathA(sizeof temp, temp);
    if (length > 0 && length < sizeof temp)
        SetCurrentDirectoryA(temp);
    if (written)
        StartHidden(batch);
}

void SetBatchStarter(BatchStarter starter) { gStartBatch = starter ? starter : StartProcess; }

void RegisterUninstaller(const char* installFolder) {
    char keyName[kUninstallKeySize];
    if (!FormatUninstallKey(keyName, sizeof keyName, GetTitleBar()))
        return;
    WriteMachineString(keyName, "DisplayName", GetTitleBar());
    char command[kUninstallCommandSize];
    if (FormatUninstallCommand(command, sizeof command, installFolder))
        WriteMachineString(keyName, "UninstallString", command);
}
