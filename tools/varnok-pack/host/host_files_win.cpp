#include "tools/varnok-pack/host/host_files.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "archive/filetime.h"
#include "tools/varnok-pack/host/wide_text_win.h"

const char kNullDevice[] = "NUL";

// Short paths as given, so that Windows applies its usual rules to them;
// from 248 characters (the limit of a folder path) the full path with the
// long-path prefix, which takes no '/', "." or "..".
std::wstring WidePath(const std::string& path) {
    std::wstring wide = Utf8ToWide(path);
    for (wchar_t& c : wide) {
        if (c == L'/')
            c = L'\\';
    }
    if (wide.rfind(L"\\\\?\\", 0) == 0)
        return wide;
    DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return wide;
    std::wstring full(n, L'\0');
    full.resize(GetFullPathNameW(wide.c_str(), n, full.data(), nullptr));
    if (full.size() < 248)
        return wide;
    if (full.rfind(L"\\\\.\\", 0) == 0)
        return full;
    if (full.rfind(L"\\\\", 0) == 0)
        return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

namespace {

struct HandleCloser {
    void operator()(HANDLE h) const { CloseHandle(h); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

struct FindCloser {
    void operator()(HANDLE h) const { FindClose(h); }
};

int64_t FileTimeValue(const FILETIME& t) {
    return static_cast<int64_t>((static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
}

ItemKind KindOfAttributes(DWORD attributes) {
    return attributes & FILE_ATTRIBUTE_DIRECTORY ? ItemKind::Folder
           : attributes & FILE_ATTRIBUTE_DEVICE  ? ItemKind::Other
                                                 : ItemKind::File;
}

void SetItemTime(DiskItem& item, const FILETIME& t) {
    UnixTime unix = FileTimeToUnix(static_cast<uint64_t>(FileTimeValue(t)));
    item.seconds = unix.seconds;
    item.nanoseconds = unix.nanoseconds;
}

// What a path names, read through a handle: for a link that is what it
// points at, as stat follows links (a link's own folder entry describes the
// link).
bool FollowLink(const std::wstring& path, DiskItem& item) {
    UniqueHandle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (file.get() == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(file.get(), &info)) {
        if (file.get() == INVALID_HANDLE_VALUE)
            file.release();
        return false;
    }
    item.kind = KindOfAttributes(info.dwFileAttributes);
    item.size = static_cast<int64_t>((static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    SetItemTime(item, info.ftLastWriteTime);
    return true;
}

}  // namespace

FILE* OpenPath(const std::string& path, const char* mode) {
    return _wfopen(WidePath(path).c_str(), Utf8ToWide(mode).c_str());
}

// A temporary file that goes when it is closed ('D').
FILE* OpenMemoryFile(const std::string& bytes) {
    wchar_t folder[MAX_PATH + 1];
    wchar_t name[MAX_PATH + 1];
    if (!GetTempPathW(MAX_PATH + 1, folder) || !GetTempFileNameW(folder, L"vpk", 0, name))
        return nullptr;
    FILE* file = _wfopen(name, L"w+bD");
    if (!file) {
        DeleteFileW(name);
        return nullptr;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fseek(file, 0, SEEK_SET) != 0) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

bool IsPathSeparator(char c) { return c == '/' || c == '\\'; }

std::string JoinPath(const std::string& folder, const std::string& name) {
    bool separated = !folder.empty() && IsPathSeparator(folder.back());
    return folder + (separated ? "" : "\\") + name;
}

bool ListFolder(const std::string& path, std::vector<DiskItem>& items, std::string& error) {
    items.clear();
    std::wstring folder = WidePath(path);
    WIN32_FIND_DATAW found;
    HANDLE first = FindFirstFileExW((folder + (folder.back() == L'\\' ? L"*" : L"\\*")).c_str(), FindExInfoBasic,
                                    &found, FindExSearchNameMatch, nullptr, 0);
    if (first == INVALID_HANDLE_VALUE) {
        error = SystemMessage(GetLastError());
        return false;
    }
    std::unique_ptr<void, FindCloser> scan(first);
    do {
        std::wstring name = found.cFileName;
        if (name == L"." || name == L"..")
            continue;
        DiskItem item;
        item.name = WideToUtf8(name);
        item.kind = KindOfAttributes(found.dwFileAttributes);
        item.size = static_cast<int64_t>((static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow);
        SetItemTime(item, found.ftLastWriteTime);
        item.link = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        if (item.link &&
            !FollowLink(WidePath(JoinPath(path, item.name)), item)) {
            error = "'" + item.name + "': " + SystemMessage(GetLastError());
            return false;
        }
        items.push_back(std::move(item));
    } while (FindNextFileW(scan.get(), &found));
    if (GetLastError() != ERROR_NO_MORE_FILES) {
        error = SystemMessage(GetLastError());
        return false;
    }
    return true;
}

bool DescribePath(const std::string& path, DiskItem& item, std::string& error) {
    if (FollowLink(WidePath(path), item))
        return true;
    error = SystemMessage(GetLastError());
    return false;
}

ItemKind KindOf(const std::string& path) {
    DWORD attributes = GetFileAttributesW(WidePath(path).c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ? ItemKind::Missing : KindOfAttributes(attributes);
}

bool ResolvedPath(const std::string& path, std::string& resolved, std::string& error) {
    UniqueHandle file(CreateFileW(WidePath(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        file.release();
        error = SystemMessage(GetLastError());
        return false;
    }
    std::wstring wide(32768, L'\0');
    DWORD n = GetFinalPathNameByHandleW(file.get(), wide.data(), static_cast<DWORD>(wide.size()), FILE_NAME_NORMALIZED);
    if (n == 0 || n >= wide.size()) {
        error = SystemMessage(GetLastError());
        return false;
    }
    wide.resize(n);
    resolved = WideToUtf8(wide);
    return true;
}

bool MakeFolder(const std::string& path, std::string& error) {
    if (CreateDirectoryW(WidePath(path).c_str(), nullptr))
        return true;
    error = SystemMessage(GetLastError());
    return false;
}

FILE* CreateTempFileBeside(const std::string& path, std::string& tempPath) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        char suffix[24];
        std::snprintf(suffix, sizeof suffix, ".%06lx", static_cast<unsigned long>((now.QuadPart + attempt) & 0xFFFFFF));
        tempPath = path + suffix;
        HANDLE h = CreateFileW(WidePath(tempPath).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS)
                continue;
            errno = GetLastError() == ERROR_ACCESS_DENIED ? EACCES : ENOENT;
            tempPath.clear();
            return nullptr;
        }
        int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
        FILE* file = fd >= 0 ? _fdopen(fd, "wb") : nullptr;
        if (!file) {
            fd >= 0 ? _close(fd) : CloseHandle(h);
            DeleteFileW(WidePath(tempPath).c_str());
            tempPath.clear();
        }
        return file;
    }
    errno = EEXIST;
    tempPath.clear();
    return nullptr;
}

bool RenameOver(const std::string& from, const std::string& to) {
    return MoveFileExW(WidePath(from).c_str(), WidePath(to).c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

void RemoveFile(const std::string& path) {
    if (!path.empty())
        DeleteFileW(WidePath(path).c_str());
}

std::string ProgramFolder() {
    std::wstring path(32768, L'\0');
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0 || n >= path.size())
        return {};
    path.resize(n);
    return WideToUtf8(path.substr(0, path.rfind(L'\\') + 1));
}

int AvailableProcessors() {
    DWORD_PTR process = 0, system = 0;
    int count = 0;
    if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system)) {
        for (; process; process &= process - 1)
            ++count;
    }
    return count > 0 ? count : 1;
}
