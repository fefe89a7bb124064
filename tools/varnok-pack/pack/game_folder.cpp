#include "tools/varnok-pack/pack/game_folder.h"

#include <strings.h>

#include <algorithm>
#include <cstring>

#include "archive/extract.h"
#include "archive/filetime.h"
#include "archive/payload_format.h"
#include "tools/varnok-pack/host/host_files.h"
#include "tools/varnok-pack/host/sjis.h"

namespace {

struct Scan {
    std::optional<int64_t> latestTime;
    std::vector<GameEntry>& entries;
    std::string& error;

    bool Fail(const std::string& path, const std::string& why) {
        error = "'" + path + "': " + why;
        return false;
    }
};

// Windows refuses these in file names, and drops trailing dots and blanks.
bool WindowsAllowsName(const std::string& name) {
    for (unsigned char c : name) {
        if (c < 0x20 || std::strchr("\\/:*?\"<>|", c))
            return false;
    }
    return name.back() != '.' && name.back() != ' ';
}

int SetupRank(const std::string& name) {
    if (!strcasecmp(name.c_str(), "install.env"))
        return 0;
    if (!strcasecmp(name.c_str(), "insttscr.rct"))
        return 1;
    return ContainsNoCase(name.c_str(), ".txt") ? 2 : 3;
}

// Size and capped time of a plain file.
bool DescribeFile(Scan& scan, const DiskItem& item, GameEntry& entry) {
    if (item.size > INT32_MAX)
        return scan.Fail(entry.path, "2 GiB or larger; the installer cannot hold it");
    int64_t seconds = item.seconds;
    int64_t nanoseconds = item.nanoseconds;
    if (scan.latestTime && seconds > *scan.latestTime) {
        seconds = *scan.latestTime;
        nanoseconds = 0;
    }
    entry.size = item.size;
    entry.fileTime = UnixToFileTime(seconds, nanoseconds);
    return true;
}

// One level of a folder: its files and its subfolders, each sorted.
bool ReadLevel(Scan& scan, const std::string& folder, const std::string& prefix, std::vector<GameEntry>& files,
               std::vector<GameEntry>& folders) {
    std::vector<DiskItem> items;
    std::string why;
    if (!ListFolder(folder, items, why))
        return scan.Fail(folder, why);
    for (const DiskItem& item : items) {
        const std::string& name = item.name;
        GameEntry entry;
        entry.path = JoinPath(folder, name);
        bool isFolder = item.kind == ItemKind::Folder;
        if (item.kind != ItemKind::File && !isFolder)
            return scan.Fail(entry.path, "neither a file nor a folder");
        if (!WindowsAllowsName(name))
            return scan.Fail(entry.path, "Windows does not allow this file name");
        std::optional<std::string> sjis = Utf8ToSjis(name);
        if (!sjis)
            return scan.Fail(entry.path, "the name has no Shift-JIS form");
        entry.archiveName = prefix + *sjis + (isFolder ? "\\" : "");
        if (entry.archiveName.size() >= kPathSize)
            return scan.Fail(entry.path, "the name is " + std::to_string(entry.archiveName.size()) +
                                             " bytes in Shift-JIS; at most 259 fit");
        if (isFolder) {
            folders.push_back(std::move(entry));
            continue;
        }
        if (!DescribeFile(scan, item, entry))
            return false;
        files.push_back(std::move(entry));
    }
    auto byName = [](const GameEntry& a, const GameEntry& b) { return a.archiveName < b.archiveName; };
    std::sort(files.begin(), files.end(), byName);
    std::sort(folders.begin(), folders.end(), byName);
    return true;
}

bool AddFolders(Scan& scan, std::vector<GameEntry>& folders) {
    for (GameEntry& folder : folders) {
        std::vector<GameEntry> files;
        std::vector<GameEntry> subfolders;
        if (!ReadLevel(scan, folder.path, folder.archiveName, files, subfolders))
            return false;
        scan.entries.push_back(std::move(folder));
        std::move(files.begin(), files.end(), std::back_inserter(scan.entries));
        if (!AddFolders(scan, subfolders))
            return false;
    }
    return true;
}

}  // namespace

bool ScanGameFolder(const std::string& folder, std::optional<int64_t> latestTime, std::vector<GameEntry>& entries,
                    std::string& error) {
    entries.clear();
    Scan scan{latestTime, entries, error};
    std::vector<GameEntry> files;
    std::vector<GameEntry> folders;
    if (!ReadLevel(scan, folder, "", files, folders))
        return false;
    std::stable_sort(files.begin(), files.end(), [](const GameEntry& a, const GameEntry& b) {
        return SetupRank(a.archiveName) < SetupRank(b.archiveName);
    });
    bool hasEnv = !files.empty() && SetupRank(files[0].archiveName) == 0;
    bool hasPicture = std::any_of(files.begin(), files.end(),
                                  [](const GameEntry& f) { return SetupRank(f.archiveName) == 1; });
    if (!hasEnv || !hasPicture)
        return scan.Fail(folder, std::string("no ") + (hasEnv ? "insttscr.rct" : "install.env") + " at its top level");
    entries = std::move(files);
    return AddFolders(scan, folders);
}

bool AddTopLevelFile(const std::string& path, const std::string& archiveName, std::optional<int64_t> latestTime,
                     std::vector<GameEntry>& entries, std::string& error) {
    std::vector<GameEntry> unused;
    Scan scan{latestTime, unused, error};
    GameEntry entry;
    entry.archiveName = archiveName;
    entry.path = path;
    DiskItem item;
    std::string why;
    if (!DescribePath(path, item, why))
        return scan.Fail(path, why);
    if (item.kind != ItemKind::File)
        return scan.Fail(path, "not a file");
    if (!DescribeFile(scan, item, entry))
        return false;
    auto isTopLevelFile = [](const GameEntry& e) {
        return !e.IsFolder() && e.archiveName.find('\\') == std::string::npos;
    };
    auto at = std::find_if(entries.begin(), entries.end(), [&](const GameEntry& e) {
        return !isTopLevelFile(e) || std::make_pair(SetupRank(e.archiveName), e.archiveName) >
                                         std::make_pair(SetupRank(archiveName), archiveName);
    });
    entries.insert(at, std::move(entry));
    return true;
}
