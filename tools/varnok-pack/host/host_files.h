// What differs between Linux and Windows in the tool's use of files. Paths
// are UTF-8 on both; on Windows they go through the wide file API (with the
// long-path prefix where a path needs it) and '/' counts as '\\'.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// std::fopen's modes; errno tells why on failure.
FILE* OpenPath(const std::string& path, const char* mode);

// A read-only stream over `bytes`, which must outlive it.
FILE* OpenMemoryFile(const std::string& bytes);

// Where output goes to nothing ("/dev/null", "NUL").
extern const char kNullDevice[];

// '/', and on Windows '\\' too.
bool IsPathSeparator(char c);
// folder, the platform's separator, name.
std::string JoinPath(const std::string& folder, const std::string& name);

enum class ItemKind { Missing, File, Folder, Other };

struct DiskItem {
    std::string name;  // UTF-8
    ItemKind kind = ItemKind::Other;
    int64_t size = 0;
    int64_t seconds = 0;  // last write, Unix time
    int32_t nanoseconds = 0;
    bool link = false;  // a symbolic link (a reparse point on Windows); the rest describes its target
};

// The items of a folder without "." and "..", links followed, in no
// particular order. False with the system's reason.
bool ListFolder(const std::string& path, std::vector<DiskItem>& items, std::string& error);

// Kind, size and time of `path`, links followed (the name is left alone).
// False with the system's reason.
bool DescribePath(const std::string& path, DiskItem& item, std::string& error);

// What `path` is, links followed.
ItemKind KindOf(const std::string& path);

// The absolute path of what `path` names, every link resolved; false with
// the system's reason.
bool ResolvedPath(const std::string& path, std::string& resolved, std::string& error);

// One folder level; false with the system's reason (an existing folder is
// not made again and fails; see KindOf).
bool MakeFolder(const std::string& path, std::string& error);

// A new file with an unused name beside `path` (given back in tempPath),
// open for binary writing and readable by others as a new file would be;
// tempPath is empty when none could be made.
FILE* CreateTempFileBeside(const std::string& path, std::string& tempPath);
// Renames `from` to `to`, replacing it.
bool RenameOver(const std::string& from, const std::string& to);
void RemoveFile(const std::string& path);

// The folder that holds this program, ending in a separator; empty when unknown.
std::string ProgramFolder();

// The processors this process may run on.
int AvailableProcessors();
