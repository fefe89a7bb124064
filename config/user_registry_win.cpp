#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <type_traits>

#include "config/transfer.h"
#include "config/user_registry.h"
#include "shell/mbtext.h"
#include "shell/win_handles.h"

namespace {

constexpr size_t kKeyPathSize = 512;
constexpr DWORD kDataSize = 512;

// "Software\\<global>\\<local>"; both values hold at most 127 bytes, so it fits.
void FormatKeyPath(char (&path)[kKeyPathSize], const char* global, const char* local) {
    std::snprintf(path, sizeof path, "Software\\%s\\%s", global, local);
}

UniqueKey CreateKey(HKEY root, const char* global, const char* local) {
    char path[kKeyPathSize];
    FormatKeyPath(path, global, local);
    HKEY key = nullptr;
    char emptyClass[] = "";
    if (RegCreateKeyExA(root, path, 0, emptyClass, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return UniqueKey(key);
}

}  // namespace

int ReadUserString(const char* global, const char* local, const char* valueName, const char* def, char* out,
                   size_t capacity) {
    if (out != def)
        CopyText(out, capacity, def);
    char path[kKeyPathSize];
    FormatKeyPath(path, global, local);
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, KEY_ALL_ACCESS, &opened) != ERROR_SUCCESS)
        return -1;
    UniqueKey key(opened);
    // One byte beyond what the query may fill: stored text need not end in a NUL.
    BYTE data[kDataSize + 1];
    DWORD size = kDataSize, type = 0;
    if (RegQueryValueExA(key.get(), valueName, nullptr, &type, data, &size) != ERROR_SUCCESS || type != REG_SZ)
        return -1;
    data[size] = '\0';
    CopyText(out, capacity, reinterpret_cast<const char*>(data));
    return 0;
}

int ReadUserInt(const char* global, const char* local, const char* valueName, int def) {
    char text[kDataSize];
    std::snprintf(text, sizeof text, "%d", def);
    ReadUserString(global, local, valueName, text, text, sizeof text);
    return std::atoi(text);
}

int WriteUserString(const char* global, const char* local, const char* valueName, const char* data) {
    UniqueKey key = CreateKey(HKEY_CURRENT_USER, global, local);
    if (!key)
        return -1;
    auto size = static_cast<DWORD>(std::strlen(data) + 1);
    LONG status = RegSetValueExA(key.get(), valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), size);
    return status == ERROR_SUCCESS ? 0 : -1;
}

int ProbeMachineKey(const char* global, const char* local) {
    return CreateKey(HKEY_LOCAL_MACHINE, global, local) ? 0 : -1;
}

const char* FindCdromRoot() {
    return FindCdromRootWith([](const char* root) { return static_cast<unsigned>(GetDriveTypeA(root)); });
}
