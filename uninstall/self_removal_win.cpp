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

constexpr int kCopyNames = 100;
constexpr DWORD kCopyPiece = 64 * 1024;

bool CopyContent(const std::string& self, HANDLE to) {
    UniqueHandle from = OwnFile(
        CreateFileA(self.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!from)
        return false;
    std::unique_ptr<char[]> piece(new char[kCopyPiece]);
    for (;;) {
        DWORD got = 0, put = 0;
        if (!ReadFile(from.get(), piece.get(), kCopyPiece, &got, nullptr))
            return false;
        if (got == 0)
            return true;
        if (!WriteFile(to, piece.get(), got, &put, nullptr) || put != got)
            return false;
    }
}

bool SameFile(const BY_HANDLE_FILE_INFORMATION& a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION info;
    return GetFileInformationByHandle(b, &info) && info.dwVolumeSerialNumber == a.dwVolumeSerialNumber &&
           info.nFileIndexHigh == a.nFileIndexHigh && info.nFileIndexLow == a.nFileIndexLow;
}

}  // namespace

UniqueHandle MakeFinisherCopy(const std::string& self, std::string& copy) {
    std::string temp = TempFolder();
    if (temp.empty())
        return nullptr;
    UniqueHandle written;
    for (int i = 0; i < kCopyNames && !written; ++i) {
        char name[kPathSize];
        int n = std::snprintf(name, sizeof name, "%sUnInst_%lu_%d.exe", temp.c_str(), GetCurrentProcessId(), i);
        if (n < 0 || static_cast<size_t>(n) >= sizeof name)
            return nullptr;
        written = OwnFile(CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (written)
            copy = name;
        else if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS)
            return nullptr;
    }
    if (!written)
        return nullptr;
    BY_HANDLE_FILE_INFORMATION made;
    if (!CopyContent(self, written.get()) || !GetFileInformationByHandle(written.get(), &made)) {
        written.reset();
        DeleteFileA(copy.c_str());
        return nullptr;
    }
    // The program loader cannot open a file someone holds for writing: the
    // copy is opened again, and must still be the file just written.
    written.reset();
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    UniqueHandle held = OwnFile(CreateFileA(copy.c_str(), DELETE | GENERIC_READ, FILE_SHARE_READ, &inherit,
                                            OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (held && !SameFile(made, held.get()))
        held.reset();
    return held;
}

bool StartFinisher(const std::string& self) {
    std::string copy;
    UniqueHandle copyFile = MakeFinisherCopy(self, copy);
    if (!copyFile)
        return false;
    HANDLE me = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentProcess(), GetCurrentProcess(), &me, SYNCHRONIZE, TRUE, 0);
    UniqueHandle original(me);
    if (!original)
        return false;
    char commandLine[3 * kPathSize];
    int n = std::snprintf(commandLine, sizeof commandLine, "\"%s\" %s %llu \"%s\"", copy.c_str(), kFinishSwitch,
                      static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(me)), self.c_str());
    if (n < 0 || static_cast<size_t>(n) >= sizeof commandLine)
        return false;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    // The temp folder as its current folder: the install folder must not be
    // held by it when it is removed.
    std::string temp = TempFolder();
    if (!CreateProcessA(copy.c_str(), commandLine, nullptr, nullptr, TRUE, 0, nullptr, temp.c_str(), &startup, &process))
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
