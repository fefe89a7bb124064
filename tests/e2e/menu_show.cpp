// Starts an installer in its own folder, waits for its launcher window and
// prints how long that took; then presses the launcher's exit button and
// ends with the installer's exit code.
//
//   varnok_menu_show INSTALLER [READY_FILE]
//
// With READY_FILE, the file is written once the launcher is up and the exit
// button is pressed only after it has been deleted (a screenshot in between).
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/e2e/driver/win_driver.h"

namespace {

constexpr DWORD kTimeoutMs = 120000;
constexpr int kExitSlotId = 1000;

double MillisecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool WaitUntilDeleted(const char* path) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < kTimeoutMs; Sleep(50)) {
        if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES)
            return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: varnok_menu_show INSTALLER [READY_FILE]\n");
        return 2;
    }
    std::string program = argv[1];
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    TestProcess installer(program, program.substr(0, program.find_last_of("\\/")));
    if (!installer.Started()) {
        std::fprintf(stderr, "menu_show: cannot start %s\n", argv[1]);
        return 2;
    }
    HWND menu = WaitForWindow(installer.Id(), "#32770", kTimeoutMs);
    double elapsed = MillisecondsSince(start);
    if (!menu || !GetDlgItem(menu, kExitSlotId)) {
        std::fprintf(stderr, "menu_show: no launcher; %s\n",
                     menu ? ("a box: " + MessageBoxText(menu)).c_str() : "no window at all");
        return 2;
    }
    std::printf("launcher visible after %.0f ms\n", elapsed);
    std::fflush(stdout);
    if (argc == 3) {
        if (FILE* ready = std::fopen(argv[2], "w"))
            std::fclose(ready);
        if (!WaitUntilDeleted(argv[2]))
            std::fprintf(stderr, "menu_show: %s was never deleted\n", argv[2]);
    }
    PressButton(menu, kExitSlotId);
    DWORD code = installer.WaitForExit(kTimeoutMs);
    std::printf("installer exit code %ld\n", static_cast<long>(code));
    return static_cast<int>(code);
}
