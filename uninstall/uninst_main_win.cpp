// UnInst.exe: removes an installed game from its install folder, where it
// lies beside the install.env the install copied there.
//
//   UnInst.exe       asks with the UNINSTALL dialog, then reports at the end
//   UnInst.exe /S    no windows; the saves are kept
// Exit codes: 0 removed, 1 cancelled (nothing touched), 2 something could
// not be removed or the settings could not be read.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "archive/stdio_file.h"
#include "config/section_lists.h"
#include "config/setting_table.h"
#include "shell/dll_hardening.h"
#include "shell/mbtext.h"
#include "shell/path_size.h"
#include "uninstall/end_report.h"
#include "uninstall/self_removal.h"
#include "uninstall/uninstall_box.h"
#include "uninstall/uninstall_dialog.h"
#include "uninstall/uninstall_run.h"

namespace {

constexpr int kExitRemoved = 0;
constexpr int kExitCancelled = 1;
constexpr int kExitIncomplete = 2;

// アンインストールの設定ファイル\n%s\nを読み込めませんでした。
constexpr char kSettingsUnreadableFormat[] =
    "\x83\x41\x83\x93\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x82\xcc\x90\xdd\x92\xe8\x83\x74\x83\x40\x83\x43"
    "\x83\x8b\n%s\n\x82\xf0\x93\xc7\x82\xdd\x8d\x9e\x82\xdf\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\x81\x42";

struct ProgramPath {
    std::string folder;  // no trailing backslash
    std::string name;
};

// The folder part ends at the last backslash that is no second byte.
bool FindProgramPath(ProgramPath& path) {
    char self[kPathSize];
    DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
    if (n == 0 || n >= sizeof self)
        return false;
    const char* slash = nullptr;
    for (const char* p = self; *p; p = MbsInc(p)) {
        if (*p == '\\')
            slash = p;
    }
    if (!slash)
        return false;
    path.folder.assign(self, static_cast<size_t>(slash - self));
    path.name = slash + 1;
    return true;
}

// Both of the installer's passes over the install.env beside the program;
// false when it cannot be read or leaves a section open.
bool LoadSettings(const std::string& file) {
    UniqueFile in(std::fopen(file.c_str(), "rt"));
    if (!in)
        return false;
    LoadSettingTableFrom(in.get());
    std::rewind(in.get());
    return ReadSectionLists(in.get(), nullptr, nullptr).openSection == kNoSection;
}

bool IsSilentSwitch(const char* arg) { return !std::strcmp(arg, "/S") || !std::strcmp(arg, "/s"); }

int Uninstall(bool silent) {
    ProgramPath self;
    if (!FindProgramPath(self))
        return kExitIncomplete;
    std::string settings = self.folder + "\\install.env";
    if (!LoadSettings(settings)) {
        if (!silent) {
            char text[1024];
            std::snprintf(text, sizeof text, kSettingsUnreadableFormat, settings.c_str());
            ShowUninstallError(text);
        }
        return kExitIncomplete;
    }
    UninstallChoice choice;
    choice.silent = silent;
    if (!silent) {
        UninstallAnswer answer = AskUninstall(self.folder);
        if (answer == UninstallAnswer::Cancel)
            return kExitCancelled;
        choice.removeSaves = answer == UninstallAnswer::RemoveWithSaves;
    }
    UninstallOutcome outcome = RunUninstall(self.folder, self.name, choice);
    if (!StartFinisher(self.folder + "\\" + self.name))
        outcome.failed.push_back(self.name);
    if (!silent)
        ShowUninstallDone(FormatEndReport(self.folder, outcome.kept, outcome.failed));
    return outcome.failed.empty() ? kExitRemoved : kExitIncomplete;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    RestrictDllSearchToSystem32();
    SetMbCodePage(static_cast<int>(GetACP()));
    if (__argc == 4 && !std::strcmp(__argv[1], kFinishSwitch))
        return RunFinisher(__argv[2], __argv[3]);
    bool silent = false;
    for (int i = 1; i < __argc; ++i)
        silent = silent || IsSilentSwitch(__argv[i]);
    return Uninstall(silent);
}
