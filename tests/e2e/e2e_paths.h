// Where the end-to-end tests find their fixtures, and the WorkFolders that
// installers leave under the Wine user's temp path.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <set>
#include <string>

// A file or folder of the fixtures made by make-installers.sh, as a Windows path.
inline std::string Fixture(const std::string& relative) {
    const char* root = std::getenv("VARNOK_E2E_FIXTURES");
    std::string path = std::string("Z:") + (root ? root : "/missing-VARNOK_E2E_FIXTURES") + "/" + relative;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

inline std::string TempPath() {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    return temp;
}

// The names that a FindFirstFile pattern matches.
inline std::set<std::string> NamesMatching(const std::string& pattern) {
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE scan = FindFirstFileA(pattern.c_str(), &found);
    if (scan == INVALID_HANDLE_VALUE)
        return names;
    do
        names.insert(found.cFileName);
    while (FindNextFileA(scan, &found));
    FindClose(scan);
    return names;
}

// The WorkFolders present under the temp path.
inline std::set<std::string> WorkFolders() { return NamesMatching(TempPath() + "VezuDURuvedarOvurod_*"); }

// Deletes the plain files and the folder of every WorkFolder that is not in
// `before` (those left by a run that ended without removing its own);
// returns how many folders were removed.
inline int RemoveWorkFoldersAddedSince(const std::set<std::string>& before) {
    std::set<std::string> added;
    std::set<std::string> now = WorkFolders();
    std::set_difference(now.begin(), now.end(), before.begin(), before.end(), std::inserter(added, added.end()));
    int removed = 0;
    for (const std::string& name : added) {
        std::string folder = TempPath() + name;
        WIN32_FIND_DATAA found;
        HANDLE scan = FindFirstFileA((folder + "\\*").c_str(), &found);
        if (scan != INVALID_HANDLE_VALUE) {
            do {
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    DeleteFileA((folder + "\\" + found.cFileName).c_str());
            } while (FindNextFileA(scan, &found));
            FindClose(scan);
        }
        removed += RemoveDirectoryA(folder.c_str()) ? 1 : 0;
    }
    return removed;
}
