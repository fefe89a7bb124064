#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "shell/mbtext.h"
#include "shell/path_size.h"
#include "shell/win_handles.h"
#include "uninstall/self_removal.h"

namespace {

constexpr DWORD kOriginalEndWaitMs = 60000;
// The loader may hold the ended program's file a moment longer.
constexpr int kDeleteAttempts = 50;
constexpr DWORD kDeleteRetryMs = 100;

std::string TempFolder() {
    char temp[MAX_PATH];
    DWORD n = GetTempPathA(sizeof temp, temp);
    return n > 0 && n < sizeof temp ? temp : "";
}

UniqueHandle OwnFile(HANDLE h) { return UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h); }

}  // namespace

bool StartFinisher(const std::string& self) {
    std::string temp = TempFolder();
    if (temp.empty())
        return false;
    char copy[kPathSize];
    int n = std::snprintf(copy, sizeof copy, "%sUnInst_%lu.exe", temp.c_str(), GetCurrentProcessId());
    if (n < 0 || static_cast<size_t>(n) >= sizeof copy || !CopyFileA(self.c_str(), copy, FALSE))
        return false;
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    UniqueHandle copyFile = OwnFile(CreateFileA(copy, DELETE | GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                                    &inherit, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    HANDLE me = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &me, SYNCHRONIZE, TRUE, 0);
    UniqueHandle original(me);
    if (!copyFile || !original) {
        copyFile.reset();
        DeleteFileA(copy);
        return false;
    }
    char commandLine[3 * kPathSize];
    n = std::snprintf(commandLine, sizeof commandLine, "\"%s\" %s %llu \"%s\"", copy, kFinishSwitch,
                      static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(me)), self.c_str());
    if (n < 0 || static_cast<size_t>(n) >= sizeof commandLine)
        return false;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // The temp folder as its current folder: the install folder must not be
    // held by it when it is removed.
    if (!CreateProcessA(copy, commandLine, nullptr, nullptr, TRUE, 0, nullptr, temp.c_str(), &startup, &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

int RunFinisher(const char* processHandle, const char* originalPath) {
    auto value = static_cast<uintptr_t>(std::strtoull(processHandle, nullptr, 10));
    UniqueHandle original(reinterpret_cast<HANDLE>(value));
    if (original)
        WaitForSingleObject(original.get(), kOriginalEndWaitMs);
    for (int i = 0; i < kDeleteAttempts && !DeleteFileA(originalPath); ++i) {
        if (GetFileAttributesA(originalPath) == INVALID_FILE_ATTRIBUTES)
            break;
        Sleep(kDeleteRetryMs);
    }
    // The folder part ends at the last backslash that is no second byte.
    const char* slash = nullptr;
    for (const char* p = originalPath; *p; p = MbsInc(p)) {
        if (*p == '\\')
            slash = p;
    }
    if (slash)
        RemoveDirectoryA(std::string(originalPath, static_cast<size_t>(slash - originalPath)).c_str());
    return 0;
}
