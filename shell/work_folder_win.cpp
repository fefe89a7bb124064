#include <windows.h>

#include <cstdio>
#include <cstring>

#include "shell/dll_hardening.h"
#include "shell/mbtext.h"
#include "shell/path_size.h"
#include "shell/work_folder.h"

namespace {

// Room for the longest temp path GetTempPathA gives (259), a backslash and
// the folder name: a path too long to use fails visibly later, never truncated.
char gWorkFolderPath[kPathSize + 32];
char gSavedCurrentDirectory[kPathSize];
constexpr int kWorkFolderAttempts = 10000;

enum class ScanState { Finished, FirstPending, FetchNext };

struct FileScan {
    HANDLE handle = INVALID_HANDLE_VALUE;
    ScanState state = ScanState::Finished;
    char pattern[kPathSize] = {};
    WIN32_FIND_DATAA found = {};
    char result[kPathSize] = {};
};
FileScan gScan;

bool IsFolder(const WIN32_FIND_DATAA& data) { return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }

// Bytes of the pattern's drive and folder part: up to its last '\\', '/' or ':'.
size_t FolderPartLength(const char* pattern) {
    size_t length = 0;
    for (const char* p = pattern; *p; p = MbsInc(p)) {
        if (*p == '\\' || *p == '/' || *p == ':')
            length = static_cast<size_t>(p - pattern) + 1;
    }
    return length;
}

bool FetchNext() {
    if (FindNextFileA(gScan.handle, &gScan.found))
        return true;
    FindClose(gScan.handle);
    gScan.handle = INVALID_HANDLE_VALUE;
    gScan.state = ScanState::Finished;
    return false;
}

// The current match as a path; false when it does not fit the result buffer.
bool JoinResult() {
    int folder = static_cast<int>(FolderPartLength(gScan.pattern));
    int n = std::snprintf(gScan.result, sizeof gScan.result, "%.*s%s", folder, gScan.pattern, gScan.found.cFileName);
    return n >= 0 && static_cast<size_t>(n) < sizeof gScan.result;
}

// winmm is no KnownDLL: its clock is loaded from the system, and the tick
// count stands in where it is missing.
DWORD WorkFolderTicks() {
    using Clock = DWORD(WINAPI*)();
    auto clock = reinterpret_cast<Clock>(reinterpret_cast<void*>(SystemFunction("winmm.dll", "timeGetTime")));
    return clock ? clock() : GetTickCount();
}

// A folder or file of that name made in advance must not be read as our
// set-up files: the tick count's name is created, or the next number's
// while the name is taken. False when all are taken; a folder that cannot
// be made for another reason keeps its name and fails later.
bool NameNewWorkFolder(const char* temp) {
    uint32_t ticks = WorkFolderTicks();
    for (int attempt = 0; attempt < kWorkFolderAttempts; ++attempt, ++ticks) {
        char name[32];
        FormatWorkFolderName(name, ticks);
        std::snprintf(gWorkFolderPath, sizeof gWorkFolderPath, "%s%s", temp, name);
        if (CreateDirectoryA(gWorkFolderPath, nullptr))
            return true;
        DWORD error = GetLastError();
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            return true;
    }
    return false;
}

}  // namespace

void FormatWorkFolderName(char* name, uint32_t ticks) {
    std::snprintf(name, 32, "VezuDURuvedarOvurod_%09d", static_cast<int32_t>(ticks));
}

void CreateWorkFolder() {
    DWORD n = GetCurrentDirectoryA(kPathSize - 1, gSavedCurrentDirectory);
    if (n == 0 || n >= kPathSize - 1)
        gSavedCurrentDirectory[0] = '\0';
    char temp[MAX_PATH + 1];
    n = GetTempPathA(MAX_PATH - 1, temp);
    if (n == 0 || n >= MAX_PATH - 1)
        temp[0] = '\0';
    AppendTrailingBackslash(temp);
    // A start folder too long to keep: the temp folder is a place outside
    // the WorkFolder to step to, so that it can still be removed at the end.
    if (gSavedCurrentDirectory[0] == '\0')
        CopyText(gSavedCurrentDirectory, sizeof gSavedCurrentDirectory, temp);
    // When every name is taken, a path no file can be made in: the setup
    // pass then fails as it does for a folder that cannot be created.
    if (!NameNewWorkFolder(temp))
        std::strcat(gWorkFolderPath, "\\*");
    SetCurrentDirectoryA(gWorkFolderPath);
}

const char* GetWorkFolderPath() { return gWorkFolderPath; }

void RemoveWorkFolder() {
    if (gWorkFolderPath[0] == '\0')
        return;
    SetCurrentDirectoryA(gSavedCurrentDirectory);
    DeleteFolderFiles(gWorkFolderPath, "*.*");
    RemoveDirectoryA(gWorkFolderPath);
}

void DeleteFolderFiles(const char* folder, const char* pattern) {
    char saved[kPathSize];
    DWORD n = GetCurrentDirectoryA(sizeof saved, saved);
    // A folder that is gone must not turn the scan onto the current directory.
    if (!SetCurrentDirectoryA(folder))
        return;
    if (BeginFileScan(pattern) == 0) {
        while (const char* path = NextScannedFile())
            DeleteFileA(path);
    }
    if (n > 0 && n < sizeof saved)
        SetCurrentDirectoryA(saved);
}

int BeginFileScan(const char* pattern) {
    if (gScan.handle != INVALID_HANDLE_VALUE)
        FindClose(gScan.handle);
    gScan.state = ScanState::Finished;
    gScan.handle = INVALID_HANDLE_VALUE;
    // A cut pattern would match other files than the ones asked for.
    if (!CopyText(gScan.pattern, sizeof gScan.pattern, pattern))
        return 1;
    gScan.handle = FindFirstFileA(gScan.pattern, &gScan.found);
    if (gScan.handle == INVALID_HANDLE_VALUE)
        return 1;
    gScan.state = ScanState::FirstPending;
    return 0;
}

const char* NextScannedFile() {
    if (gScan.handle == INVALID_HANDLE_VALUE || gScan.state == ScanState::Finished)
        return nullptr;
    bool have = true;
    if (gScan.state == ScanState::FetchNext)
        have = FetchNext();
    else
        gScan.state = ScanState::FetchNext;
    while (have && (IsFolder(gScan.found) || !JoinResult()))
        have = FetchNext();
    return have ? gScan.result : nullptr;
}
