// What a program left on the system, read back by tests: files and folders
// with their contents and times, shell links, registry values, INI keys.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>

struct FileState {
    std::string content;  // "<folder>" for a folder
    uint64_t time = 0;
};

// The whole file, "<unreadable>" when it cannot be opened.
std::string ReadWhole(const std::string& path);
// Every file and folder below `folder`, by path relative to it (folders end in '\').
std::map<std::string, FileState> Tree(const std::string& folder);
// The names directly in a folder (files and folders alike, folders ending in '\').
std::set<std::string> Names(const std::string& folder);

struct Link {
    bool loaded = false;
    std::string target, description, workFolder;
    uint64_t time = 0;
};
// A shell link read back through IShellLinkA (COM initialised by the caller).
Link ReadLink(const std::string& path);

std::string SpecialFolder(int csidl);

bool KeyExists(HKEY root, const std::string& key);
// A REG_SZ value, "<none>" when absent or of another type.
std::string RegText(HKEY root, const std::string& key, const char* name);
// An INI key, "<none>" when absent.
std::string IniText(const char* file, const char* section, const char* key);
