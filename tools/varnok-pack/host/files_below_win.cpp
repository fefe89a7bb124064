#include "tools/varnok-pack/host/files_below.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <vector>

#include "shell/no_follow.h"
#include "shell/win_handles.h"
#include "tools/varnok-pack/host/host_files.h"
#include "tools/varnok-pack/host/wide_text_win.h"

namespace {

std::string LinkRefusal(const std::string& path, bool folder) {
    return "'" + path + "' is a link or " + (folder ? "no folder" : "a folder") +
           "; links in the destination are not followed";
}

// True when the opened level is a link, by its handle or by its name: Wine
// reports a link only by its name. `isFolder`, when given, is set.
bool IsLink(HANDLE handle, const std::wstring& path, bool* isFolder = nullptr) {
    DWORD byName = GetFileAttributesW(path.c_str());
    return HandleIsReparsePoint(handle, isFolder) || byName == INVALID_FILE_ATTRIBUTES ||
           (byName & FILE_ATTRIBUTE_REPARSE_POINT);
}

// True when an existing name is a link or a folder: no file is made,
// opened or removed there.
bool NameIsLinkOrFolder(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY));
}

// The level itself, never a link's target, held without delete sharing so
// that nobody can rename it or put a link in its place while it is held.
UniqueHandle OpenLevel(const std::wstring& path) {
    return OwnFile(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

// Every folder level of `relative` below root, its last level only when
// `throughLast`, opened in turn and held in `held`; missing ones are made
// when `make`. A level that is a reparse point (a junction, a symbolic
// link, a mount point) or no folder is refused.
bool HoldLevels(const std::string& root, const std::string& relative, bool throughLast, bool make,
                std::vector<UniqueHandle>& held, std::string& error) {
    for (size_t end = relative.find('/');; end = relative.find('/', end + 1)) {
        bool last = end == std::string::npos;
        if (last && !throughLast)
            return true;
        std::string path = JoinPath(root, relative.substr(0, end));
        std::wstring wide = WidePath(path);
        UniqueHandle level = OpenLevel(wide);
        DWORD code = GetLastError();
        if (!level && make && (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)) {
            if (!CreateDirectoryW(wide.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
                error = "'" + path + "': " + SystemMessage(GetLastError());
                return false;
            }
            level = OpenLevel(wide);
            code = GetLastError();
        }
        if (!level) {
            error = "'" + path + "': " + SystemMessage(code);
            return false;
        }
        bool isFolder = false;
        if (IsLink(level.get(), wide, &isFolder) || !isFolder) {
            error = LinkRefusal(path, true);
            return false;
        }
        held.push_back(std::move(level));
        if (last)
            return true;
    }
}

// The file `relative` opened with `access` and `disposition`, in folders
// held while it opens, never through a link; null with the reason.
UniqueHandle OpenFileBelow(const std::string& root, const std::string& relative, DWORD access, DWORD disposition,
                           std::string& error) {
    std::vector<UniqueHandle> held;
    if (!HoldLevels(root, relative, false, false, held, error))
        return nullptr;
    std::string path = JoinPath(root, relative);
    std::wstring wide = WidePath(path);
    if (NameIsLinkOrFolder(wide)) {
        error = LinkRefusal(path, false);
        return nullptr;
    }
    UniqueHandle file = OwnFile(CreateFileW(wide.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) {
        error = "'" + path + "': " + SystemMessage(GetLastError());
        return nullptr;
    }
    if (IsLink(file.get(), wide)) {
        error = LinkRefusal(path, false);
        return nullptr;
    }
    return file;
}

}  // namespace

bool MakeFoldersBelow(const std::string& root, const std::string& relative, std::string& error) {
    std::vector<UniqueHandle> held;
    return relative.empty() || HoldLevels(root, relative, true, true, held, error);
}

FILE* CreateFileBelow(const std::string& root, const std::string& relative, std::string& error) {
    UniqueHandle file = OpenFileBelow(root, relative, GENERIC_WRITE, CREATE_ALWAYS, error);
    if (!file)
        return nullptr;
    int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(file.get()), _O_BINARY | _O_WRONLY);
    if (descriptor == -1) {
        error = "'" + JoinPath(root, relative) + "': no file descriptor left";
        return nullptr;
    }
    file.release();
    FILE* stream = _fdopen(descriptor, "wb");
    if (!stream) {
        error = "'" + JoinPath(root, relative) + "': no stream left";
        _close(descriptor);
    }
    return stream;
}

bool SetLastWriteTimeBelow(const std::string& root, const std::string& relative, uint64_t fileTime) {
    std::string error;
    UniqueHandle file = OpenFileBelow(root, relative, FILE_WRITE_ATTRIBUTES, OPEN_EXISTING, error);
    FILETIME t{static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
    return file && SetFileTime(file.get(), nullptr, nullptr, &t) != 0;
}

void RemoveFileBelow(const std::string& root, const std::string& relative) {
    std::vector<UniqueHandle> held;
    std::string error;
    if (!HoldLevels(root, relative, false, false, held, error))
        return;
    std::wstring wide = WidePath(JoinPath(root, relative));
    if (!NameIsLinkOrFolder(wide))
        DeleteFileW(wide.c_str());
}
