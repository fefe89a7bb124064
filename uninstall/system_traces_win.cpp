#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "config/section_lists.h"
#include "config/setting_table.h"
#include "install/link_plan.h"
#include "install/shortcuts.h"
#include "shell/path_size.h"
#include "shell/win_handles.h"
#include "uninstall/installer_traces.h"
#include "uninstall/uninstall_run.h"

namespace {

UniqueKey OpenKey(HKEY root, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, name.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return nullptr;
    return UniqueKey(key);
}

void DeleteKeyIfEmpty(HKEY root, const std::string& name) {
    DWORD subkeys = 1, values = 1;
    if (UniqueKey key = OpenKey(root, name)) {
        if (RegQueryInfoKeyA(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                             nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return;
    }
    if (subkeys == 0 && values == 0)
        RegDeleteKeyA(root, name.c_str());
}

std::string SpecialFolder(int csidl) {
    char path[MAX_PATH];
    return GetSpecialFolderPath(nullptr, csidl, path) ? path : "";
}

void RemoveLinks(const std::string& installFolder) {
    bool vista = IsVistaOrLater();
    LinkTraces links = InstalledLinks(SpecialFolder(ProgramsFolderId(vista)), SpecialFolder(DesktopFolderId(vista)),
                                      installFolder);
    for (const std::string& file : links.files)
        DeleteFileA(file.c_str());
    for (const std::string& folder : links.folders)
        RemoveDirectoryA(folder.c_str());
}

void RemoveRegistryValues(const std::string& installFolder) {
    if (std::string uninstallKey = UninstallKeyName(); !uninstallKey.empty())
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, uninstallKey.c_str());
    // The installer's administrator probe made this one, empty.
    DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, GameKeyName());
    DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, GameKeyParentName());
    if (GetRegGlobal()[0] == '-')
        return;
    if (UniqueKey key = OpenKey(HKEY_CURRENT_USER, GameKeyName())) {
        for (const std::string& name : RegValueNames(RegList, installFolder))
            RegDeleteValueA(key.get(), name.c_str());
    }
    DeleteKeyIfEmpty(HKEY_CURRENT_USER, GameKeyName());
    DeleteKeyIfEmpty(HKEY_CURRENT_USER, GameKeyParentName());
}

// A bare INI name lives in the Windows folder, as the profile functions put it.
std::string IniPath(const char* name) {
    if (std::strchr(name, '\\') || std::strchr(name, ':'))
        return name;
    char windows[kPathSize];
    UINT n = GetWindowsDirectoryA(windows, sizeof windows);
    return n > 0 && n < sizeof windows ? std::string(windows) + "\\" + name : "";
}

// True when the file holds nothing but blanks.
bool HoldsNothing(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    int c;
    while ((c = std::fgetc(file)) != EOF && c <= ' ')
        ;
    std::fclose(file);
    return c == EOF;
}

void RemoveIniKeys(const std::string& installFolder) {
    const char* file = GetIniFile();
    if (file[0] == '-')
        return;
    const char* section = GetIniSection();
    for (const std::string& key : IniKeys(IniList, installFolder))
        WritePrivateProfileStringA(section, key.c_str(), nullptr, file);
    char rest[2];
    if (GetPrivateProfileSectionA(section, rest, sizeof rest, file) == 0)
        WritePrivateProfileStringA(section, nullptr, nullptr, file);
    // Flushes the profile cache, so that the file on disk is what was asked for.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, file);
    std::string path = IniPath(file);
    if (!path.empty() && HoldsNothing(path))
        DeleteFileA(path.c_str());
}

}  // namespace

void RemoveSystemTraces(const std::string& installFolder) {
    RemoveLinks(installFolder);
    RemoveRegistryValues(installFolder);
    RemoveIniKeys(installFolder);
}
