#include <windows.h>

#include <algorithm>

#include "config/section_lists.h"
#include "config/setting_table.h"
#include "uninstall/end_report.h"
#include "uninstall/removal_plan.h"
#include "uninstall/uninstall_box.h"
#include "uninstall/uninstall_run.h"

namespace {

// Lists folders below the install folder. Links into other places
// (junctions, symbolic links) are left out, so that nothing is reached
// outside the install folder through them.
FolderLister InstallFolderLister(const std::string& root) {
    return [root](const std::string& folder, std::vector<FolderItem>& items) {
        std::string pattern = JoinLevels(root, folder) + "\\*";
        WIN32_FIND_DATAA found;
        HANDLE scan = FindFirstFileA(pattern.c_str(), &found);
        items.clear();
        if (scan == INVALID_HANDLE_VALUE)
            return false;
        do {
            std::string name = found.cFileName;
            if (name == "." || name == ".." || (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                continue;
            items.push_back({name, (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
        } while (FindNextFileA(scan, &found));
        FindClose(scan);
        return true;
    };
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Read-only files go as well: they are the game's.
bool DeleteGameFile(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    return DeleteFileA(path.c_str()) || !Exists(path);
}

// Deletes the file, asking Retry/Cancel while it will not go (unless
// silent). False when it stays.
bool RemoveWithRetry(const std::string& path, const UninstallChoice& choice) {
    while (!DeleteGameFile(path)) {
        if (choice.silent || !AskRetryUninstall(FormatFileInUse(path)))
            return false;
    }
    return true;
}

// Windows's own case rule for file names.
bool SameName(const std::string& a, const std::string& b) {
    return CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_EQUAL;
}

}  // namespace

UninstallOutcome RunUninstall(const std::string& folder, const std::string& self, const UninstallChoice& choice) {
    FolderLister list = InstallFolderLister(folder);
    RemovalPlan plan;
    AddSectionToPlan(DelFilesList, list, plan);
    if (choice.removeSaves)
        AddSectionToPlan(DelFilesUserList, list, plan);

    UninstallOutcome outcome;
    for (const std::string& file : plan.files) {
        if (SameName(file, self))
            continue;
        if (!RemoveWithRetry(JoinLevels(folder, file), choice))
            outcome.failed.push_back(file);
    }
    RemoveSystemTraces(folder);

    TreeListing tree = ListTree(list);
    for (const std::string& sub : tree.folders)
        RemoveDirectoryA(JoinLevels(folder, sub).c_str());
    tree = ListTree(list);
    for (const std::string& file : tree.files) {
        bool failed = std::find(outcome.failed.begin(), outcome.failed.end(), file) != outcome.failed.end();
        if (!SameName(file, self) && !failed)
            outcome.kept.push_back(file);
    }
    outcome.folderLeftEmpty = tree.folders.empty() && outcome.kept.empty() && outcome.failed.empty();
    return outcome;
}
