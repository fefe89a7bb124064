// The install folder's write probe and access batch, and the uninstall
// entry in the system's list of programs.
#pragma once

#include <windows.h>

// 0 when "UserAccountCheck.id" could be created in the folder (it is
// deleted again at once), 1 when not.
int ProbeFolderWritable(const char* installFolder);

// Writes the access batch into the temp folder and starts it hidden at idle
// priority, not waiting for it; the temp folder stays the current directory.
// A batch that cannot be written is not started. Failures are silent.
void GrantFolderAccess(const char* installFolder);

// How the batch is started: CreateProcessA's command line, creation flags
// and start-up information as GrantFolderAccess passes them. Tests look at
// what a started process cannot show; null restores the real start.
using BatchStarter = void (*)(char* commandLine, DWORD creationFlags, STARTUPINFOA* startup);
void SetBatchStarter(BatchStarter starter);

// HKEY_LOCAL_MACHINE ...\Uninstall\RuRid<TITLEBAR>: "DisplayName" the
// title, "UninstallString" the quoted uninstaller path. Failures are silent;
// each value is written on its own.
void RegisterUninstaller(const char* installFolder);
