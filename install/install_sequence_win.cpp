#include "install/install_sequence.h"

#include <windows.h>

#include "archive/extract_payload.h"
#include "config/section_lists.h"
#include "config/setting_table.h"
#include "config/transfer.h"
#include "config/user_registry.h"
#include "install/destination_folder.h"
#include "install/end_dialog.h"
#include "install/link_plan.h"
#include "install/registration.h"
#include "install/shortcuts.h"
#include "shell/launch.h"
#include "shell/messages.h"

namespace {

// インストールにはAdministrator権限が必要です。
#define VARNOK_NEEDS_ADMIN \
    "\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x82\xc9\x82\xcd" \
    "Administrator\x8c\xa0\x8c\xc0\x82\xaa\x95\x4b\x97\x76\x82\xc5\x82\xb7\x81\x42"

constexpr char kNeedsAdminText[] = VARNOK_NEEDS_ADMIN;
// インストールを中止しました
constexpr char kCancelledText[] =
    "\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x82\xf0\x92\x86\x8e\x7e\x82\xb5\x82\xdc\x82\xb5\x82\xbd";
// インストール先フォルダは無効又は作成できません\n(+ the administrator line)
constexpr char kFolderInvalidText[] =
    "\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x90\xe6\x83\x74\x83\x48\x83\x8b\x83\x5f\x82\xcd"
    "\x96\xb3\x8c\xf8\x96\x94\x82\xcd\x8d\xec\x90\xac\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\n" VARNOK_NEEDS_ADMIN;
// 指定された場所には書き込み出来ません。\n(+ the administrator line)
constexpr char kNotWritableText[] =
    "\x8e\x77\x92\xe8\x82\xb3\x82\xea\x82\xbd\x8f\xea\x8f\x8a\x82\xc9\x82\xcd\x8f\x91\x82\xab\x8d\x9e\x82\xdd"
    "\x8f\x6f\x97\x88\x82\xdc\x82\xb9\x82\xf1\x81\x42\n" VARNOK_NEEDS_ADMIN;

#undef VARNOK_NEEDS_ADMIN

int Stop(const char* text) {
    ShowError("%s", text);
    return -1;
}

// Splits each line of a section list and writes the ones that split whole.
template <typename Write>
void TransferLines(const SectionLine* list, int (*split)(const char*, char*, char*), Write write) {
    char name[kTransferTextSize];
    char value[kTransferTextSize];
    for (const SectionLine* line = list; line; line = line->next) {
        if (split(line->text, name, value) == kSplitDone)
            write(name, value);
    }
}

void TransferIniLines() {
    if (GetIniFile()[0] == '-')
        return;
    TransferLines(IniList, SplitIniLine, [](const char* key, const char* value) {
        WritePrivateProfileStringA(GetIniSection(), key, value, GetIniFile());
    });
}

void TransferRegLines() {
    if (GetRegGlobal()[0] == '-')
        return;
    TransferLines(RegList, SplitRegLine, [](const char* name, const char* data) {
        WriteUserString(GetRegGlobal(), GetRegLocal(), name, data);
    });
}

}  // namespace

int RunInstallSequence() {
    if (ProbeMachineKey(GetRegGlobal(), GetRegLocal()) != 0)
        return Stop(kNeedsAdminText);
    char installFolder[kPathSize] = "";
    if (ChooseDestinationFolder(installFolder) != 0)
        return Stop(kCancelledText);
    if (CreateFolderPath(installFolder) != 0)
        return Stop(kFolderInvalidText);
    if (ProbeFolderWritable(installFolder) != 0)
        return Stop(kNotWritableText);
    GrantFolderAccess(installFolder);

    // A failed copy ends the program inside; nothing after it runs then.
    ExtractPayload(installFolder, ExtractModeFull);
    CreateStartMenuShortcuts(installFolder);
    AskDesktopShortcut(installFolder);
    RegisterUninstaller(installFolder);

    SetPlaceholderInstallPath(installFolder);
    TransferIniLines();
    TransferRegLines();

    ShowEndDialog();
    SetCurrentDirectoryA(installFolder);
    if (RunGameAfterInstall)
        StartQuotedProgram(GetExeName());
    if (OpenReadmeAfterInstall) {
        char readme[512];
        FindSettingText("INSTREADMEFL", readme, sizeof readme, "readme.txt");
        OpenWithShell(readme);
    }
    return 0;
}
