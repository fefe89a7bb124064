#include "shell/no_follow.h"

#include <fcntl.h>
#include <io.h>

#include <cstring>

#include "shell/mbtext.h"

bool HandleIsReparsePoint(HANDLE handle, bool* isFolder) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info))
        return true;
    if (isFolder)
        *isFolder = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

namespace {

// The link itself is opened, never its target; the name is checked too, for
// systems that follow a link all the same.
UniqueHandle OpenFolderNoFollow(const std::string& path) {
    if (IsReparsePoint(path.c_str()))
        return nullptr;
    UniqueHandle folder = OwnFile(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                              nullptr, OPEN_EXISTING,
                                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    bool isFolder = false;
    if (!folder || HandleIsReparsePoint(folder.get(), &isFolder) || !isFolder)
        return nullptr;
    return folder;
}

// A folder entry's path ends in a backslash of its own (not a double-byte
// character's second byte); the folder is the path without it.
std::string WithoutFinalSeparator(const char* path) {
    const char* last = path;
    for (const char* p = path; *p; p = MbsInc(p))
        last = p;
    std::string folder(path);
    if (!folder.empty() && *last == '\\')
        folder.pop_back();
    return folder;
}

}  // namespace

bool IsReparsePoint(const char* path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool HeldFolders::HoldParents(const char* path) {
    size_t rootLength = root_.size();
    if (std::strncmp(path, root_.c_str(), rootLength) != 0 || (path[rootLength] != '\\' && path[rootLength] != '\0'))
        return false;
    std::vector<std::string> levels = {root_};
    for (const char* p = path + rootLength + 1; path[rootLength] && *p; p = MbsInc(p)) {
        if (*p == '\\')
            levels.emplace_back(path, static_cast<size_t>(p - path));
    }
    size_t same = 0;
    while (same < names_.size() && same < levels.size() && names_[same] == levels[same])
        ++same;
    names_.resize(same);
    handles_.resize(same);
    for (size_t i = same; i < levels.size(); ++i) {
        UniqueHandle folder = OpenFolderNoFollow(levels[i]);
        if (!folder) {
            names_.clear();
            handles_.clear();
            return false;
        }
        names_.push_back(levels[i]);
        handles_.push_back(std::move(folder));
    }
    return true;
}

bool CreateFolderNoFollow(HeldFolders& held, const char* path) {
    std::string folder = WithoutFinalSeparator(path);
    if (!held.HoldParents(folder.c_str()))
        return false;
    CreateDirectoryA(folder.c_str(), nullptr);
    DWORD attributes = GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

FILE* CreateFileNoFollow(HeldFolders& held, const char* path) {
    if (!held.HoldParents(path) || IsReparsePoint(path))
        return nullptr;
    UniqueHandle file = OwnFile(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file || HandleIsReparsePoint(file.get()))
        return nullptr;
    int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file.get()), _O_BINARY | _O_WRONLY);
    if (descriptor == -1)
        return nullptr;
    file.release();
    FILE* stream = _fdopen(descriptor, "wb");
    if (!stream)
        _close(descriptor);
    return stream;
}
