// Output below a folder the user chose, reached level by level without
// following links: a link planted below that folder (a symbolic link, or
// on Windows any reparse point) is refused, never written through. The
// folder itself is taken as given. `relative` has '/' between levels.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// Makes every missing folder level of `relative`; false with the reason.
bool MakeFoldersBelow(const std::string& root, const std::string& relative, std::string& error);

// Creates or replaces the file `relative` (its folders must exist) for
// binary writing; nullptr with the reason.
FILE* CreateFileBelow(const std::string& root, const std::string& relative, std::string& error);

// The last-write time as a FILETIME; the access time stays.
bool SetLastWriteTimeBelow(const std::string& root, const std::string& relative, uint64_t fileTime);

void RemoveFileBelow(const std::string& root, const std::string& relative);
