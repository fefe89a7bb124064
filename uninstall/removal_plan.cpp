#include "uninstall/removal_plan.h"

#include <algorithm>
#include <set>

#include "shell/mbtext.h"

namespace {

// The item of the folder that the level names: an exact name when there is
// no wildcard, a pattern otherwise.
void AddMatches(const std::string& folder, const char* level, bool wantFolders, const FolderLister& list,
                std::vector<std::string>& out) {
    std::vector<FolderItem> items;
    if (!list(folder, items))
        return;
    for (const FolderItem& item : items) {
        if (item.isFolder == wantFolders && MatchNamePattern(level, item.name.c_str()))
            out.push_back(JoinLevels(folder, item.name));
    }
}

void WalkTree(const std::string& folder, const FolderLister& list, TreeListing& tree) {
    std::vector<FolderItem> items;
    if (!list(folder, items))
        return;
    std::vector<std::string> subfolders;
    for (const FolderItem& item : items)
        (item.isFolder ? subfolders : tree.files).push_back(JoinLevels(folder, item.name));
    for (const std::string& sub : subfolders) {
        WalkTree(sub, list, tree);
        tree.folders.push_back(sub);
    }
}

}  // namespace

std::string JoinLevels(const std::string& folder, const std::string& name) {
    return folder.empty() ? name : folder + "\\" + name;
}

std::vector<std::string> MatchDelEntry(const char* entry, const FolderLister& list) {
    std::vector<std::string> folders = {""};
    const char* level = entry;
    for (const char* sep; (sep = MbsChr(level, '\\')) != nullptr; level = sep + 1) {
        std::string name(level, static_cast<size_t>(sep - level));
        std::vector<std::string> next;
        // Folders differing only in case cannot sit side by side on Windows;
        // on Linux each is followed.
        for (const std::string& folder : folders)
            AddMatches(folder, name.c_str(), true, list, next);
        folders = std::move(next);
    }
    std::vector<std::string> files;
    for (const std::string& folder : folders)
        AddMatches(folder, level, false, list, files);
    return files;
}

void AddSectionToPlan(const SectionLine* lines, const FolderLister& list, RemovalPlan& plan) {
    std::set<std::string> seen(plan.files.begin(), plan.files.end());
    for (const SectionLine* line = lines; line; line = line->next) {
        char entry[kDelPathSize];
        DelEntryVerdict verdict = ParseDelEntry(line->text, entry);
        if (verdict == DelEntryVerdict::Blank)
            continue;
        if (verdict != DelEntryVerdict::Ok) {
            plan.refused.push_back({line, verdict});
            continue;
        }
        for (std::string& file : MatchDelEntry(entry, list)) {
            if (seen.insert(file).second)
                plan.files.push_back(std::move(file));
        }
    }
}

TreeListing ListTree(const FolderLister& list) {
    TreeListing tree;
    WalkTree("", list, tree);
    return tree;
}
