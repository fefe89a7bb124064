#include <windows.h>

#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <memory>

#include "config/section_lists.h"
#include "config/setting_table.h"
#include "uninstall/installer_traces.h"
#include "uninstall/uninstall_run.h"

namespace {

struct KeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, KeyCloser>;

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

// The installer's rule: the all-users folders from Windows Vista on, the
// user's own before.
bool IsVistaOrLater() {
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    bool known = GetVersionExA(&version);
#pragma GCC diagnostic pop
    return known && version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 6;
}

std::string SpecialFolder(int csidl) {
    char path[MAX_PATH];
    return SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : "";
}

void RemoveLinks() {
    bool vista = IsVistaOrLater();
    LinkTraces links = InstalledLinks(SpecialFolder(vista ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS),
                                      SpecialFolder(vista ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOPDIRECTORY));
    for (const std::string& file : links.files)
        DeleteFileA(file.c_str());
    for (const std::string& folder : links.folders)
        RemoveDirectoryA(folder.c_str());
}

void RemoveRegistryValues() {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKeyName().c_str());
    // The installer's administrator probe made this one, empty.
    DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, GameKeyName());
    DeleteKeyIfEmpty(HKEY_LOCAL_MACHINE, GameKeyParentName());
    if (GetRegGlobal()[0] == '-')
        return;
    if (UniqueKey key = OpenKey(HKEY_CURRENT_USER, GameKeyName())) {
        for (const std::string& name : RegValueNames(RegList))
            RegDeleteValueA(key.get(), name.c_str());
    }
    DeleteKeyIfEmpty(HKEY_CURRENT_USER, GameKeyName());
    DeleteKeyIfEmpty(HKEY_CURRENT_USER, GameKeyParentName());
}

// A bare INI name lives in the Windows folder, as the profile functions put it.
std::string IniPath(const char* name) {
    if (std::strchr(name, '\\') || std::strchr(name, ':'))
        return name;
    char windows[MAX_PATH];
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

void RemoveIniKeys() {
    const char* file = GetIniFile();
    if (file[0] == '-')
        return;
    const char* section = GetIniSection();
    for (const std::string& key : IniKeys(IniList))
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

void RemoveSystemTraces() {
    RemoveLinks();
    RemoveRegistryValues();
    RemoveIniKeys();
}
