#include "tools/varnok-pack/pack/game_folder.h"

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <map>

#include "archive/extract.h"
#include "archive/filetime.h"
#include "archive/payload_format.h"
#include "tools/varnok-pack/host/host_files.h"
#include "tools/varnok-pack/host/sjis.h"
#include "tools/varnok-pack/pack/name_fold.h"

namespace {

struct Scan {
    std::optional<int64_t> latestTime;
    std::vector<GameEntry>& entries;
    std::string& error;
    std::vector<std::string>* notes = nullptr;
    std::string root;  // the game folder with its links resolved

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

// A link to a file inside the game folder is packed as that file, with a
// note. A link to a folder is refused, so that the scan can never loop, and
// so is one that leads out of the game folder.
bool AcceptLink(Scan& scan, const std::string& path, bool isFolder) {
    if (isFolder)
        return scan.Fail(path, "a link to a folder; copy the folder in or remove the link");
    std::string target, why;
    if (!ResolvedPath(path, target, why))
        return scan.Fail(path, why);
    if (target.size() <= scan.root.size() || target.compare(0, scan.root.size(), scan.root) != 0 ||
        !IsPathSeparator(target[scan.root.size()]))
        return scan.Fail(path, "a link to '" + target + "', outside the game folder; copy the file in or remove the link");
    if (scan.notes)
        scan.notes->push_back("'" + path + "' is a link: packed as the file it points at, '" + target + "'");
    return true;
}

// Names Windows would take for one: letters that differ only in case.
bool CheckFolded(Scan& scan, std::map<std::u32string, std::string>& seen, const std::string& path) {
    size_t nameStart = path.size();
    while (nameStart > 0 && !IsPathSeparator(path[nameStart - 1]))
        --nameStart;
    auto [it, added] = seen.emplace(FoldName(path.substr(nameStart)), path);
    return added || scan.Fail(path, "Windows takes it for '" + it->second +
                                        "' (the names differ only in case): one would overwrite the other");
}

// One level of a folder: its files and its subfolders, each sorted.
bool ReadLevel(Scan& scan, const std::string& folder, const std::string& prefix, std::vector<GameEntry>& files,
               std::vector<GameEntry>& folders) {
    std::vector<DiskItem> items;
    std::string why;
    if (!ListFolder(folder, items, why))
        return scan.Fail(folder, why);
    // Sorted first, so that which of two folded names is reported does not
    // depend on the folder's order.
    std::sort(items.begin(), items.end(), [](const DiskItem& a, const DiskItem& b) { return a.name < b.name; });
    std::map<std::u32string, std::string> folded;
    for (const DiskItem& item : items) {
        const std::string& name = item.name;
        GameEntry entry;
        entry.path = JoinPath(folder, name);
        bool isFolder = item.kind == ItemKind::Folder;
        if (item.kind != ItemKind::File && !isFolder)
            return scan.Fail(entry.path, "neither a file nor a folder");
        if (item.link && !AcceptLink(scan, entry.path, isFolder))
            return false;
        if (!WindowsAllowsName(name))
            return scan.Fail(entry.path, "Windows does not allow this file name");
        std::optional<std::string> sjis = Utf8ToSjis(name);
        if (!sjis)
            return scan.Fail(entry.path, "the name has no Shift-JIS form");
        if (!IsSafeEntryName(sjis->c_str()))
            return scan.Fail(entry.path, "Windows reserves this name for a device (CON, PRN, AUX, NUL, COM1-9, "
                                         "LPT1-9), whatever its extension");
        if (!CheckFolded(scan, folded, entry.path))
            return false;
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
                    std::string& error, std::vector<std::string>* notes) {
    entries.clear();
    Scan scan{latestTime, entries, error, notes, {}};
    std::string why;
    if (!ResolvedPath(folder, scan.root, why))
        return scan.Fail(folder, why);
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
    Scan scan{latestTime, unused, error, nullptr, {}};
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
