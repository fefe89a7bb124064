// A fresh folder under the temp path for one test, removed with everything
// in it (read-only files included) when the test ends; and small file helpers.
#pragma once

#include <windows.h>

#include <string>

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& path() const { return path_; }
    // path() + "\\" + name
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

void RemoveTree(const std::string& path);
bool WriteFileBytes(const std::string& path, const std::string& bytes);
// The whole file; `exists` (when given) tells whether it could be opened.
std::string ReadFileBytes(const std::string& path, bool* exists = nullptr);
bool PathExists(const std::string& path);
bool IsDirectory(const std::string& path);
std::string CurrentDirectory();

// C:\NAME as tests/win/plant-links.sh NAME leaves it, or "" when its link
// to-outside is no reparse point here.
std::string PlantedLinks(const std::string& name);
