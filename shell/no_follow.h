// Folders and files opened so that a link (a junction, a symbolic link: any
// reparse point) is never followed. The installer runs with administrator
// rights into folders other users may have prepared.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "shell/win_handles.h"

// True when the path exists and is a reparse point itself.
bool IsReparsePoint(const char* path);

// True when what the handle opened is a reparse point, or cannot be told
// (read as one, so that it is refused); `isFolder`, when given, is set.
bool HandleIsReparsePoint(HANDLE handle, bool* isFolder = nullptr);

// Holds the folders from a root down to the folder that is being written
// into, each opened without following a link and not shareable for delete,
// so that none can be replaced by a link while it is held. The chain of the
// last call is kept and only its changed tail is opened anew.
class HeldFolders {
public:
    explicit HeldFolders(const char* root) : root_(root) {}
    // Holds every folder level of `path` below the root, the last level of
    // `path` itself excluded. False when one is a reparse point, no folder,
    // or cannot be opened (nothing is held then).
    bool HoldParents(const char* path);

private:
    std::string root_;
    std::vector<std::string> names_;  // the held levels' paths, root first excluded
    std::vector<UniqueHandle> handles_;
};

// Creates the folder (an existing one is fine) in a parent held by `held`:
// false when it is, or passes through, a reparse point.
bool CreateFolderNoFollow(HeldFolders& held, const char* path);

// Creates or replaces the file for binary writing in a parent held by
// `held`, never through a reparse point; nullptr when it cannot.
FILE* CreateFileNoFollow(HeldFolders& held, const char* path);
