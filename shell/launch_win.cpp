#include <windows.h>

#include <shellapi.h>

#include "shell/launch.h"
#include "shell/owner_window.h"
#include "shell/path_size.h"

void OpenWithShell(const char* file) {
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.hwnd = GetOwnerWindow();
    info.lpVerb = "open";
    info.lpFile = file;
    info.nShow = SW_SHOWNORMAL;
    ShellExecuteExA(&info);
}

int StartQuotedProgram(const char* program) {
    char commandLine[kPathSize];
    if (!QuoteCommandLine(commandLine, program))
        return 0;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 0;
    // Nobody waits for the program.
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 1;
}
