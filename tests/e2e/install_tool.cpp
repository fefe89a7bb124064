// Whole installs driven from outside, run under Wine by scripts:
//   varnok_install_tool plain ARC DIR        the installer's design as a plain
//                                            loop over a bare archive; prints
//                                            "seconds S" (bench-install.sh)
//   varnok_install_tool core ARC DIR         the installer's own walk over it,
//                                            without the copy window; prints
//                                            "seconds S" (to tell the walk's
//                                            cost from the window's)
//   varnok_install_tool install SETUP DIR    a whole install through the real
//                                            windows into DIR; prints "seconds S",
//                                            how long the copy window was up
//                                            (bench-install.sh)
//   varnok_install_tool show SETUP DIR READY the same install, with the desktop
//                                            link, the readme left closed,
//                                            pausing at each window: READY\<step>
//                                            is written and the run goes on once
//                                            it is deleted (demo.sh's screenshots)
//   varnok_install_tool uninstall DIR READY  DIR\UnInst.exe through its question
//                                            (OK, saves kept) and end box, pausing
//                                            at each the same way (demo.sh)
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "archive/extract_payload.h"
#include "tests/bench/design_loop.h"
#include "tests/e2e/install_run.h"

namespace {

// The design loop, or with `core` the installer's own walk without its
// window, over a bare archive.
int Plain(const char* archivePath, const char* dest, bool core) {
    FILE* archive = std::fopen(archivePath, "rb");
    if (!archive)
        return 1;
    UniqueFile owned(archive);
    WindowExtractCallback files(dest);
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    bool ok = core ? ExtractArchive(archive, dest, ExtractModeFull, files) == ArchiveStatus::Ok
                   : WalkPlain(archive, dest, files);
    QueryPerformanceCounter(&end);
    if (!ok)
        return 1;
    std::printf("seconds %.3f\n", double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart));
    return 0;
}

constexpr DWORD kPauseTimeoutMs = 120000;

// Writes READY\<step> and waits until someone deletes it.
void Pause(const std::string& ready, const char* step) {
    std::string marker = ready + "\\" + step;
    if (FILE* file = std::fopen(marker.c_str(), "w"))
        std::fclose(file);
    for (DWORD start = GetTickCount(); GetTickCount() - start < kPauseTimeoutMs; Sleep(50)) {
        if (GetFileAttributesA(marker.c_str()) == INVALID_FILE_ATTRIBUTES)
            return;
    }
}

int Install(const char* installer, const char* dest, const char* ready) {
    Launcher launcher(installer);
    if (!launcher.Up())
        return 1;
    InstallChoices choices = {.folder = dest, .desktop = DesktopAnswer::Cancel, .timeCopy = true};
    if (ready) {
        choices = {.folder = dest, .desktop = DesktopAnswer::Ticked};
        Pause(ready, "menu");
        launcher.OnWindow([ready](const char* step) { Pause(ready, step); });
    }
    InstallSeen seen = RunWholeInstall(launcher, choices);
    std::printf("installer exit code %ld\n", static_cast<long>(seen.exitCode));
    if (seen.exitCode != 0)
        return 1;
    if (!ready) {
        if (seen.copySeconds <= 0)
            return 1;
        std::printf("seconds %.3f\n", seen.copySeconds);
    }
    return 0;
}

// UnInst.exe's question ("uninstall") and end box ("uninstalled"), each
// answered with OK once the pause is over.
int Uninstall(const char* folder, const char* ready) {
    TestProcess run(std::string(folder) + "\\UnInst.exe", folder);
    HWND question = run.Started() ? WaitForWindow(run.Id(), "#32770", kPauseTimeoutMs) : nullptr;
    if (!question)
        return 1;
    Pause(ready, "uninstall");
    PressButton(question, IDOK);
    WaitUntilGone(question, kPauseTimeoutMs);
    if (HWND end = WaitForMessageBox(run.Id(), kPauseTimeoutMs)) {
        Pause(ready, "uninstalled");
        PressButton(end, IDOK);
    }
    DWORD exitCode = run.WaitForExit(kPauseTimeoutMs);
    std::printf("uninstaller exit code %ld\n", static_cast<long>(exitCode));
    return exitCode == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && (std::strcmp(argv[1], "plain") == 0 || std::strcmp(argv[1], "core") == 0))
        return Plain(argv[2], argv[3], argv[1][0] == 'c');
    if (argc == 4 && std::strcmp(argv[1], "install") == 0)
        return Install(argv[2], argv[3], nullptr);
    if (argc == 5 && std::strcmp(argv[1], "show") == 0)
        return Install(argv[2], argv[3], argv[4]);
    if (argc == 4 && std::strcmp(argv[1], "uninstall") == 0)
        return Uninstall(argv[2], argv[3]);
    std::fprintf(stderr, "usage: varnok_install_tool plain ARC DIR | core ARC DIR | install SETUP DIR | show SETUP DIR READY"
                         " | uninstall DIR READY\n");
    return 2;
}
