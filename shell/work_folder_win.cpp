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

}  // namespace

void FormatWorkFolderName(char* name, uint32_t ticks) {
    std::snprintf(name, 32, "VezuDURuvedarOvurod_%09d", static_cast<int32_t>(ticks));
}

void CreateWorkFolder() {
    DWORD n = GetCurrentDirectoryA(kPathSize - 1, gSavedCurrentDirectory);
    if (n == 0 || n >= kPathSize - 1)
        gSavedCurrentDirectory[0] = '\0';
    char name[32];
    FormatWorkFolderName(name, WorkFolderTicks());
    char temp[MAX_PATH + 1];
    n = GetTempPathA(MAX_PATH - 1, temp);
    if (n == 0 || n >= MAX_PATH - 1)
        temp[0] = '\0';
    AppendTrailingBackslash(temp);
    // A start folder too long to keep: the temp folder is a place outside
    // the WorkFolder to step to, so that it can still be removed at the end.
    if (gSavedCurrentDirectory[0] == '\0')
        CopyText(gSavedCurrentDirectory, sizeof gSavedCurrentDirectory, temp);
    std::snprintf(gWorkFolderPath, sizeof gWorkFolderPath, "%s%s", temp, name);
    CreateDirectoryA(gWorkFolderPath, nullptr);
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
