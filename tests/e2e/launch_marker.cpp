// Stands in for a program that the installer starts (the DirectX set-up):
// writes the command line it was given to "<its own path>.ran" and ends.
#include <windows.h>

#include <cstdio>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char path[MAX_PATH + 8];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return 1;
    std::memcpy(path + n, ".ran", 5);
    FILE* file = std::fopen(path, "wb");
    if (!file)
        return 1;
    std::fputs(GetCommandLineA(), file);
    return std::fclose(file) == 0 ? 0 : 1;
}
