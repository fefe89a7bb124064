// Reads a game folder into archive entries, in the order the installer
// relies on: every top-level file first (install.env, insttscr.rct, then the
// .txt files, then the rest), then the folders in pre-order, each folder's
// entry before its files and its files before its subfolders. Names are
// sorted bytewise in Shift-JIS within each group, so the same folder always
// gives the same order.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct GameEntry {
    std::string archiveName;  // Shift-JIS, '\\' between levels; a folder's ends in '\\'
    std::string path;         // on disk
    int64_t size = -1;        // -1 for a folder
    uint64_t fileTime = 0;    // FILETIME of the modification time (files)
    bool IsFolder() const { return size < 0; }
};

// `latestTime`, when given (SOURCE_DATE_EPOCH), caps every file's time at
// that many seconds after 1970. Refuses, with a message naming the file:
// a missing install.env or insttscr.rct at the top, a name with no
// Shift-JIS form or one Windows cannot hold (a device name such as CON.txt,
// trailing dots or blanks), two names that differ only in case, a name over
// 259 bytes, a file of 2 GiB or more, anything that is neither a file nor a
// folder, a link to a folder or to anything outside the folder. A link to a
// file inside the folder is packed as that file and named in `notes`.
bool ScanGameFolder(const std::string& folder, std::optional<int64_t> latestTime, std::vector<GameEntry>& entries,
                    std::string& error, std::vector<std::string>* notes = nullptr);

// Adds a file from outside the game folder at the top level, where a scan
// would have placed it. False, with a message naming the file, when it is
// not a readable plain file under 2 GiB.
bool AddTopLevelFile(const std::string& path, const std::string& archiveName, std::optional<int64_t> latestTime,
                     std::vector<GameEntry>& entries, std::string& error);
