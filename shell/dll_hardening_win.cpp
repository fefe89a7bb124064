#include "shell/dll_hardening.h"

#include <cstring>

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

void RestrictDllSearchToSystem32() {
    // Looked up rather than imported: an unpatched Windows 7 lacks it and
    // would refuse to start the program.
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    auto set = reinterpret_cast<SetDirectories>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
    if (set)
        set(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

FARPROC SystemFunction(const char* dll, const char* name) {
    HMODULE module = LoadLibraryExA(dll, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) {
        // Without the search flags (unpatched Windows 7): the full path.
        char path[MAX_PATH];
        UINT n = GetSystemDirectoryA(path, MAX_PATH);
        size_t d = std::strlen(dll);
        if (n == 0 || n + 1 + d + 1 > sizeof path)
            return nullptr;
        path[n] = '\\';
        std::memcpy(path + n + 1, dll, d + 1);
        module = LoadLibraryA(path);
    }
    return module ? GetProcAddress(module, name) : nullptr;
}
