#include "tests/e2e/driver/system_checks.h"

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace {

uint64_t Time(const FILETIME& time) { return (uint64_t(time.dwHighDateTime) << 32) | time.dwLowDateTime; }

void Walk(const std::string& folder, const std::string& relative, std::map<std::string, FileState>& out) {
    WIN32_FIND_DATAA found;
    HANDLE scan = FindFirstFileA((folder + "\\" + relative + "*").c_str(), &found);
    if (scan == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out[relative + name + "\\"] = {"<folder>", 0};
            Walk(folder, relative + name + "\\", out);
        } else {
            out[relative + name] = {ReadWhole(folder + "\\" + relative + name), Time(found.ftLastWriteTime)};
        }
    } while (FindNextFileA(scan, &found));
    FindClose(scan);
}

}  // namespace

std::string ReadWhole(const std::string& path) {
    std::string content;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "<unreadable>";
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        content.append(buffer, got);
    CloseHandle(file);
    return content;
}

std::map<std::string, FileState> Tree(const std::string& folder) {
    std::map<std::string, FileState> tree;
    Walk(folder, "", tree);
    return tree;
}

std::set<std::string> Names(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& [name, state] : Tree(folder)) {
        if (name.find('\\') == std::string::npos || name.find('\\') == name.size() - 1)
            names.insert(name);
    }
    return names;
}

Link ReadLink(const std::string& path) {
    Link link;
    IShellLinkA* shellLink = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&shellLink))))
        return link;
    IPersistFile* file = nullptr;
    WCHAR wide[MAX_PATH];
    if (SUCCEEDED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) && SUCCEEDED(file->Load(wide, STGM_READ))) {
        char text[MAX_PATH] = {};
        shellLink->GetPath(text, sizeof text, nullptr, 0);
        link.target = text;
        text[0] = '\0';
        shellLink->GetDescription(text, sizeof text);
        link.description = text;
        text[0] = '\0';
        shellLink->GetWorkingDirectory(text, sizeof text);
        link.workFolder = text;
        link.loaded = true;
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
            link.time = Time(data.ftLastWriteTime);
    }
    if (file)
        file->Release();
    shellLink->Release();
    return link;
}

std::string SpecialFolder(int csidl) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

bool KeyExists(HKEY root, const std::string& key) {
    HKEY opened;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

std::string RegText(HKEY root, const std::string& key, const char* name) {
    char data[1024] = {};
    DWORD size = sizeof data - 1;
    DWORD type = 0;
    HKEY opened;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return "<none>";
    LONG result = RegQueryValueExA(opened, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(opened);
    return result == ERROR_SUCCESS && type == REG_SZ ? std::string(data) : "<none>";
}

std::string IniText(const char* file, const char* section, const char* key) {
    char text[512];
    GetPrivateProfileStringA(section, key, "<none>", text, sizeof text, file);
    return text;
}
