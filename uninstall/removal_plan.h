// What an uninstall removes from the install folder, worked out on a folder
// tree seen through a lister, so that the same rules serve the uninstaller
// on Windows and the publisher's checks on Linux.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "config/section_lists.h"
#include "uninstall/delfiles_entry.h"

struct FolderItem {
    std::string name;  // as the folder holds it, in the ANSI code page
    bool isFolder = false;
};

// Lists one folder of the tree: "" for the top, otherwise names found by an
// earlier listing joined by '\\'. False when the folder cannot be read.
using FolderLister = std::function<bool(const std::string& folder, std::vector<FolderItem>& items)>;

// The files an accepted entry names (see ParseDelEntry), as paths below the
// top with the names the folders hold. Folders are found without regard to
// case; the last level is a pattern (MatchNamePattern) matched against files.
std::vector<std::string> MatchDelEntry(const char* entry, const FolderLister& list);

struct RefusedEntry {
    const SectionLine* line;
    DelEntryVerdict verdict;
};

struct RemovalPlan {
    std::vector<std::string> files;  // each once, in the order the lines name them
    std::vector<RefusedEntry> refused;
};

// Adds the files a section's lines name to the plan, and the lines refused.
void AddSectionToPlan(const SectionLine* lines, const FolderLister& list, RemovalPlan& plan);

struct TreeListing {
    std::vector<std::string> files;    // every file below the top, folders in pre-order
    std::vector<std::string> folders;  // every folder below the top, deepest first
};

TreeListing ListTree(const FolderLister& list);

// "a\\b" from "a" and "b"; the name alone when the folder is the top ("").
std::string JoinLevels(const std::string& folder, const std::string& name);
