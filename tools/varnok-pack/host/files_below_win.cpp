#include "tools/varnok-pack/host/files_below.h"

#include <windows.h>

#include "tools/varnok-pack/host/host_files.h"
#include "tools/varnok-pack/host/wide_text_win.h"

namespace {

// A level that is a reparse point (a junction, a symbolic link, a mount
// point) is refused; a missing one is made when `make`. The check and the
// use are two calls: what this guards against is a link planted before the
// extraction, not one swapped in while it runs.
bool CheckLevel(const std::string& path, bool folder, bool make, std::string& error) {
    std::wstring wide = WidePath(path);
    DWORD attributes = GetFileAttributesW(wide.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES && folder && make) {
        if (!CreateDirectoryW(wide.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
            error = "'" + path + "': " + SystemMessage(GetLastError());
            return false;
        }
        attributes = GetFileAttributesW(wide.c_str());
    }
    if (attributes == INVALID_FILE_ATTRIBUTES && !folder)
        return true;  // a file still to be made
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        error = "'" + path + "': " + SystemMessage(GetLastError());
        return false;
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) || folder != ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)) {
        error = "'" + path + "' is a link or " + (folder ? "no folder" : "a folder") +
                "; links in the destination are not followed";
        return false;
    }
    return true;
}

// Every level of `relative` below root checked; the last one as a file
// unless `folder`.
bool CheckLevels(const std::string& root, const std::string& relative, bool folder, bool make, std::string& error) {
    for (size_t end = relative.find('/');; end = relative.find('/', end + 1)) {
        bool last = end == std::string::npos;
        if (!CheckLevel(JoinPath(root, relative.substr(0, end)), folder || !last, make, error))
            return false;
        if (last)
            return true;
    }
}

}  // namespace

bool MakeFoldersBelow(const std::string& root, const std::string& relative, std::string& error) {
    return relative.empty() || CheckLevels(root, relative, true, true, error);
}

FILE* CreateFileBelow(const std::string& root, const std::string& relative, std::string& error) {
    if (!CheckLevels(root, relative, false, false, error))
        return nullptr;
    FILE* file = OpenPath(JoinPath(root, relative), "wb");
    if (!file)
        error = "'" + JoinPath(root, relative) + "': " + SystemMessage(GetLastError());
    return file;
}

bool SetLastWriteTimeBelow(const std::string& root, const std::string& relative, uint64_t fileTime) {
    std::string error;
    if (!CheckLevels(root, relative, false, false, error))
        return false;
    HANDLE file = CreateFileW(WidePath(JoinPath(root, relative)).c_str(), FILE_WRITE_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    FILETIME t{static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
    bool ok = SetFileTime(file, nullptr, nullptr, &t) != 0;
    CloseHandle(file);
    return ok;
}

void RemoveFileBelow(const std::string& root, const std::string& relative) {
    std::string error;
    if (CheckLevels(root, relative, false, false, error))
        DeleteFileW(WidePath(JoinPath(root, relative)).c_str());
}
