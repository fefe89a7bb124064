// Whole installs under Wine through the installer's real windows, then the
// system looked at: the payload, the links, the registry, the INI file.
#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/e2e/driver/system_checks.h"
#include "tests/e2e/e2e_paths.h"
#include "tests/e2e/install_run.h"
#include "tests/win/temp_folder.h"

namespace {

constexpr DWORD kExitFailure = 0xFFFFFFFF;  // exit code -1
// SOURCE_DATE_EPOCH of make-install-games.sh as a FILETIME: the stored time of every file.
constexpr uint64_t kStoredTime = (1230581709ull + 11644473600ull) * 10000000ull;

#define ADMIN_LINE "\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x82\xc9\x82\xcd" \
    "Administrator\x8c\xa0\x8c\xc0\x82\xaa\x95\x4b\x97\x76\x82\xc5\x82\xb7\x81\x42"
// インストールを中止しました
const std::string kCancelled =
    "\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x82\xf0\x92\x86\x8e\x7e\x82\xb5\x82\xdc\x82\xb5\x82\xbd";
// ネットワークドライブには対応していません。\nローカルドライブを選択して下さい。
const std::string kNetwork =
    "\x83\x6c\x83\x62\x83\x67\x83\x8f\x81\x5b\x83\x4e\x83\x68\x83\x89\x83\x43\x83\x75\x82\xc9\x82\xcd\x91\xce\x89\x9e"
    "\x82\xb5\x82\xc4\x82\xa2\x82\xdc\x82\xb9\x82\xf1\x81\x42\n\x83\x8d\x81\x5b\x83\x4a\x83\x8b\x83\x68\x83\x89\x83\x43"
    "\x83\x75\x82\xf0\x91\x49\x91\xf0\x82\xb5\x82\xc4\x89\xba\x82\xb3\x82\xa2\x81\x42";
// ルートにはインストールできません
const std::string kRoot =
    "\x83\x8b\x81\x5b\x83\x67\x82\xc9\x82\xcd\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x82\xc5\x82\xab\x82\xdc"
    "\x82\xb9\x82\xf1";
// インストール先フォルダは無効又は作成できません\n + the administrator line
const std::string kFolderInvalid =
    "\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x90\xe6\x83\x74\x83\x48\x83\x8b\x83\x5f\x82\xcd\x96\xb3\x8c\xf8"
    "\x96\x94\x82\xcd\x8d\xec\x90\xac\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\n" ADMIN_LINE;
// 指定された場所には書き込み出来ません。\n + the administrator line
const std::string kNotWritable =
    "\x8e\x77\x92\xe8\x82\xb3\x82\xea\x82\xbd\x8f\xea\x8f\x8a\x82\xc9\x82\xcd\x8f\x91\x82\xab\x8d\x9e\x82\xdd"
    "\x8f\x6f\x97\x88\x82\xdc\x82\xb9\x82\xf1\x81\x42\n" ADMIN_LINE;
// ファイルの読み込みに失敗しました。ファイルが壊れている可能性があります。
const std::string kReadFailure =
    "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xcc\x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x82\xc9\x8e\xb8\x94\x73\x82\xb5"
    "\x82\xdc\x82\xb5\x82\xbd\x81\x42\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x89\xf3\x82\xea\x82\xc4\x82\xa2"
    "\x82\xe9\x89\xc2\x94\x5c\x90\xab\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb7\x81\x42";
// アンインストール
const std::string kUninstallWord = "\x83\x41\x83\x93\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b";
// [%s]にインストールします
std::string Confirmation(const std::string& folder) {
    return "[" + folder + "]\x82\xc9\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x82\xb5\x82\xdc\x82\xb7";
}

// A game of make-install-games.sh, as a Windows path.
std::string Game(const std::string& relative) {
    const char* root = std::getenv("VARNOK_E2E_INSTALL_GAMES");
    std::string path = std::string("Z:") + (root ? root : "/missing-VARNOK_E2E_INSTALL_GAMES") + "/" + relative;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

// COM for reading the links back, for the whole test program.
struct ComForLinks : ::testing::Environment {
    void SetUp() override { CoInitialize(nullptr); }
    void TearDown() override { CoUninitialize(); }
};
const auto* const kCom = ::testing::AddGlobalTestEnvironment(new ComForLinks);

// ---- the file system ------------------------------------------------------

// The payload arrived whole: every file and folder of the game, its content
// and its stored time, and nothing else but `extra`.
void ExpectPayload(const std::string& game, const std::string& installFolder, const std::set<std::string>& extra = {}) {
    std::map<std::string, FileState> expected = Tree(Game(game));
    std::map<std::string, FileState> installed = Tree(installFolder);
    for (const std::string& name : extra)
        installed.erase(name);
    ASSERT_FALSE(expected.empty()) << game;
    EXPECT_EQ(installed.size(), expected.size());
    for (const auto& [name, state] : expected) {
        auto it = installed.find(name);
        ASSERT_NE(it, installed.end()) << name;
        EXPECT_TRUE(it->second.content == state.content) << name;
        if (state.content != "<folder>") {
            EXPECT_EQ(it->second.time, kStoredTime) << name;
        }
    }
}

// Waits for the file and gives its content, "" when it did not come.
std::string WaitForFile(const std::string& path, DWORD timeoutMs) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(100)) {
        std::string content = ReadWhole(path);
        if (content != "<unreadable>" && !content.empty())
            return content;
    }
    return "";
}

// ---- links, folders, registry ---------------------------------------------

void ExpectLink(const std::string& path, const std::string& target, const std::string& description) {
    SCOPED_TRACE(path);
    Link link = ReadLink(path);
    ASSERT_TRUE(link.loaded);
    EXPECT_EQ(link.target, target);
    EXPECT_EQ(link.description, description);
    EXPECT_EQ(link.workFolder, target.substr(0, target.rfind('\\')));
}

const std::string kUninstallRoot = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\RuRid";

// The root the [ini] and [reg] placeholders put for the CD-ROM: the first
// CD-ROM drive, or E:\ without one.
std::string CdromRoot() {
    for (char drive = 'A'; drive <= 'Z'; ++drive) {
        std::string root = std::string(1, drive) + ":\\";
        if (GetDriveTypeA(root.c_str()) == DRIVE_CDROM)
            return root;
    }
    return "E:\\";
}

std::string WindowsDrive() {
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    return std::string(windows).substr(0, 3);
}

// Forgets what an earlier install of the title left behind.
void ForgetInstall(const std::string& title, const char* group, const std::string& regKey,
                   const std::vector<std::string>& folders) {
    for (int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS})
        RemoveTree(SpecialFolder(csidl) + "\\" + (group ? std::string(group) : title));
    for (int csidl : {CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_DESKTOPDIRECTORY})
        DeleteFileA((SpecialFolder(csidl) + "\\" + title + ".LNK").c_str());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, (kUninstallRoot + title).c_str());
    if (!regKey.empty())
        RegDeleteTreeA(HKEY_CURRENT_USER, regKey.c_str());
    for (const std::string& folder : folders)
        RemoveTree(folder);
}

// ---- the full game --------------------------------------------------------

const char kFullTitle[] = "E2E_FULL";
const char kFullDescription[] = "E2EFull";
const char kFullGroup[] = "E2EMaker";
const std::string kFullRegKey = "Software\\VarnokE2E\\Full";
const char kFullIni[] = "e2e_full.ini";

void ExpectFullLinks(const std::string& programs, const std::string& folder) {
    std::string group = programs + "\\" + kFullGroup + "\\" + kFullTitle + "\\" + kFullTitle;
    ExpectLink(group + ".LNK", folder + "\\game.exe", kFullDescription);
    ExpectLink(group + " readme.LNK", folder + "\\readme.bat", kFullDescription);
    ExpectLink(group + " " + kUninstallWord + ".LNK", folder + "\\UnInst.exe", kFullDescription);
}

TEST(WholeInstall, EverySettingInUseThenASecondInstallOverTheFirst) {
    const std::string folder = "C:\\E2E Games\\Full Install";
    const std::string programs = SpecialFolder(CSIDL_COMMON_PROGRAMS);
    const std::string desktopLink = SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + "\\" + kFullTitle + ".LNK";
    ForgetInstall(kFullTitle, kFullGroup, kFullRegKey, {"C:\\E2E Games"});
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, kFullIni);
    DeleteFileA((SpecialFolder(CSIDL_WINDOWS) + "\\" + kFullIni).c_str());
    std::set<std::string> workFolders = WorkFolders();
    const std::string pif = TempPath() + "Pelladrover_fullaccess.pif";
    ASSERT_TRUE(WriteFileBytes(pif, ""));

    {
        Launcher launcher(Game("full/setup.exe"));
        ASSERT_TRUE(launcher.Up());
        InstallSeen seen = RunWholeInstall(launcher, {folder, DesktopAnswer::Ticked, true});
        EXPECT_EQ(seen.proposed, WindowsDrive() + "Program Files\\E2EFull");
        EXPECT_EQ(seen.confirmation, Confirmation(folder));
        EXPECT_TRUE(seen.desktopBoxTicked);
        ASSERT_TRUE(seen.endDialog);
        EXPECT_TRUE(seen.endReadmeBox);
        EXPECT_FALSE(seen.endReadmeTicked);
        EXPECT_EQ(seen.endReadmeLabel, "readme");
        EXPECT_FALSE(seen.endRunBox);
        EXPECT_EQ(seen.exitCode, 0u);
    }
    // The readme, opened from the install folder, notes the folder it ran in.
    EXPECT_EQ(WaitForFile(folder + "\\readme-opened.txt", 15000), folder + "\r\n");
    ExpectPayload("full/game", folder, {"readme-opened.txt"});
    ExpectFullLinks(programs, folder);
    ExpectLink(desktopLink, folder + "\\game.exe", kFullDescription);
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstallRoot + kFullTitle, "DisplayName"), kFullTitle);
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstallRoot + kFullTitle, "UninstallString"),
              "\"" + folder + "\\UnInst.exe\"");
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kFullRegKey));
    // The line without "=" between them is passed over.
    EXPECT_EQ(IniText(kFullIni, "Game", "Path"), folder + "\\data");
    EXPECT_EQ(IniText(kFullIni, "Game", "Drive"), CdromRoot());
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kFullRegKey, "IsInst"), "1");
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kFullRegKey, "InstTo"), folder);
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, kFullRegKey, "Cd"), CdromRoot());
    EXPECT_EQ(WorkFolders(), workFolders);
    // The access batch ran: it removed its ".pif" twin, planted above, and itself.
    const std::string batch = TempPath() + "Pelladrover_fullaccess.bat";
    for (DWORD start = GetTickCount(); (PathExists(batch) || PathExists(pif)) && GetTickCount() - start < 15000;)
        Sleep(100);
    EXPECT_FALSE(PathExists(pif));
    EXPECT_FALSE(PathExists(batch));

    // Again: the folder remembered by [reg] is proposed, the links are
    // written anew, an unticked desktop box makes nothing, and Esc on the
    // end dialog drops the ticked readme box but still ends the install well.
    uint64_t firstLinkTime = ReadLink(programs + "\\" + kFullGroup + "\\" + kFullTitle + "\\" + kFullTitle + ".LNK").time;
    DeleteFileA(desktopLink.c_str());
    DeleteFileA((folder + "\\readme-opened.txt").c_str());
    Sleep(1100);
    {
        Launcher launcher(Game("full/setup.exe"));
        ASSERT_TRUE(launcher.Up());
        InstallSeen seen = RunWholeInstall(launcher, {"", DesktopAnswer::Unticked, true, true});
        EXPECT_EQ(seen.proposed, folder);
        EXPECT_EQ(seen.confirmation, Confirmation(folder));
        EXPECT_TRUE(seen.endReadmeBox);
        EXPECT_EQ(seen.exitCode, 0u);
    }
    ExpectFullLinks(programs, folder);
    EXPECT_GT(ReadLink(programs + "\\" + kFullGroup + "\\" + kFullTitle + "\\" + kFullTitle + ".LNK").time,
              firstLinkTime);
    EXPECT_FALSE(PathExists(desktopLink));
    Sleep(1000);
    EXPECT_FALSE(PathExists(folder + "\\readme-opened.txt"));
    ExpectPayload("full/game", folder);
    EXPECT_EQ(WorkFolders(), workFolders);
}

// ---- the plain game -------------------------------------------------------

const char kPlainTitle[] = "E2E_PLAIN";

// Every stop leaves the launcher usable; only the probe key was written.
// How many visible top-level windows of the process carry this title.
struct TitledCount {
    DWORD processId;
    const char* title;
    int found = 0;
};

// A Win32 callback: stdcall on i686, which a lambda cannot be.
BOOL CALLBACK CountTitled(HWND window, LPARAM param) {
    auto* c = reinterpret_cast<TitledCount*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == c->processId && IsWindowVisible(window) && WindowText(window) == c->title)
        ++c->found;
    return TRUE;
}

int VisibleWindowsTitled(DWORD processId, const char* title) {
    TitledCount count{processId, title};
    EnumWindows(CountTitled, reinterpret_cast<LPARAM>(&count));
    return count.found;
}

TEST(WholeInstall, EachStopShowsItsMessagesAndKeepsTheMenu) {
    const std::string file = "C:\\e2e-a-file";
    const std::string refused = "C:\\e2e-no-folder";
    const std::string links = PlantedLinks("varnok-e2e-links");
    ASSERT_FALSE(links.empty()) << "no links planted (tests/win/plant-links.sh)";
    // No stop reaches the access batch, which would delete this.
    const std::string pif = TempPath() + "Pelladrover_fullaccess.pif";
    ASSERT_TRUE(WriteFileBytes(pif, ""));
    ForgetInstall(kPlainTitle, nullptr, "", {refused});
    {
        HANDLE made = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        CloseHandle(made);
    }
    std::set<std::string> workFolders = WorkFolders();
    Launcher launcher(Game("plain/setup.exe"));
    ASSERT_TRUE(launcher.Up());

    // The machine key cannot be made under a volatile parent: the
    // administrator message, before SETUP.
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\-");
    HKEY parent = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\-", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &parent, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(parent);
    ASSERT_TRUE(launcher.PressInstall());
    EXPECT_EQ(launcher.AnswerBox(IDOK), ADMIN_LINE);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\-");

    struct Stop {
        const char* name;
        std::string typed;      // nullptr-like "": Cancel in SETUP
        std::vector<std::pair<std::string, int>> boxes;  // text, the button that answers it
    };
    const Stop stops[] = {
        {"cancel", "", {{kCancelled, IDOK}}},
        {"network", "\\\\server\\share", {{kNetwork, IDOK}, {kCancelled, IDOK}}},
        {"root, retry", "C:\\", {{kRoot, IDRETRY}, {kCancelled, IDOK}}},
        {"no", refused, {{Confirmation(refused), IDNO}, {kCancelled, IDOK}}},
        {"uncreatable", file + "\\Game", {{Confirmation(file + "\\Game"), IDYES}, {kFolderInvalid, IDOK}}},
        {"a link", links + "\\to-outside", {{Confirmation(links + "\\to-outside"), IDYES}, {kFolderInvalid, IDOK}}},
        {"unwritable", links + "\\unwritable",
         {{Confirmation(links + "\\unwritable"), IDYES}, {kNotWritable, IDOK}}},
    };
    for (const Stop& stop : stops) {
        SCOPED_TRACE(stop.name);
        ASSERT_TRUE(launcher.PressInstall());
        if (stop.typed.empty()) {
            HWND setup = launcher.WaitForDialog(E2E_SETUP_TITLE);
            ASSERT_NE(setup, nullptr);
            // While the install runs, a second click and the close box reach
            // the menu through SETUP's loop and are ignored.
            ASSERT_TRUE(launcher.PressInstall());
            PostMessageA(launcher.Menu(), WM_CLOSE, 0, 0);
            Sleep(1500);
            EXPECT_EQ(VisibleWindowsTitled(launcher.Id(), E2E_SETUP_TITLE), 1);
            EXPECT_TRUE(IsWindow(launcher.Menu()));
            PressButton(setup, IDCANCEL);
        } else {
            ASSERT_TRUE(SubmitSetup(launcher, stop.typed));
        }
        for (const auto& [text, button] : stop.boxes)
            EXPECT_EQ(launcher.AnswerBox(button), text);
    }
    EXPECT_FALSE(PathExists(refused));
    EXPECT_TRUE(Names(links + "\\outside").empty());
    EXPECT_TRUE(PathExists(pif));
    DeleteFileA(pif.c_str());
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\-\\-"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallRoot + kPlainTitle));
    launcher.PressExit();
    EXPECT_EQ(launcher.WaitForExit(30000), 0u);
    EXPECT_EQ(WorkFolders(), workFolders);
    DeleteFileA(file.c_str());
}

// plain/setup.exe is a signed installer behind a signed stub (make-install-games.sh).
TEST(WholeInstall, OnlyATitleIntoAJapaneseFolderWithoutDesktopLink) {
    // C:\ゲーム\表示 フォルダ: 表 ends in the byte 0x5C.
    const std::string parent = "C:\\\x83\x51\x81\x5b\x83\x80";
    const std::string folder = parent + "\\\x95\x5c\x8e\xa6 \x83\x74\x83\x48\x83\x8b\x83\x5f";
    const std::string programs = SpecialFolder(CSIDL_COMMON_PROGRAMS);
    ForgetInstall(kPlainTitle, nullptr, "Software\\-\\-", {parent});
    std::set<std::string> workFolders = WorkFolders();
    {
        Launcher launcher(Game("plain/setup.exe"));
        ASSERT_TRUE(launcher.Up());
        InstallSeen seen = RunWholeInstall(launcher, {folder, DesktopAnswer::Cancel, false});
        EXPECT_EQ(seen.confirmation, Confirmation(folder));
        ASSERT_TRUE(seen.endDialog);
        EXPECT_FALSE(seen.endReadmeBox);
        EXPECT_FALSE(seen.endRunBox);
        EXPECT_EQ(seen.exitCode, 0u);
    }
    ExpectPayload("plain/game", folder);
    // No INST_GROUP: the title's folder sits in Programs; no readme, no readme link.
    std::string group = programs + "\\" + kPlainTitle;
    EXPECT_EQ(Names(group), (std::set<std::string>{std::string(kPlainTitle) + ".LNK",
                                                   std::string(kPlainTitle) + " " + kUninstallWord + ".LNK"}));
    ExpectLink(group + "\\" + kPlainTitle + ".LNK", folder + "\\plain.exe", "E2EPlain");
    ExpectLink(group + "\\" + kPlainTitle + " " + kUninstallWord + ".LNK", folder + "\\UnInst.exe", "E2EPlain");
    EXPECT_FALSE(PathExists(SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + "\\" + kPlainTitle + ".LNK"));
    EXPECT_EQ(RegText(HKEY_LOCAL_MACHINE, kUninstallRoot + kPlainTitle, "UninstallString"),
              "\"" + folder + "\\UnInst.exe\"");
    // REG_GLOBAL and INI_FILE "-": the probe key, but no transfers.
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\-\\-"));
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, "Software\\-\\-", "IsInst"), "<none>");
    EXPECT_FALSE(PathExists(SpecialFolder(CSIDL_WINDOWS) + "\\-"));
    EXPECT_EQ(WorkFolders(), workFolders);
}

// ---- a full disk ----------------------------------------------------------

// An install whose copy fails: the read failure, exit code -1, no WorkFolder left.
void ExpectCopyFailure(const std::string& installer, const std::string& folder) {
    std::set<std::string> workFolders = WorkFolders();
    Launcher launcher(Game(installer));
    ASSERT_TRUE(launcher.Up());
    ASSERT_TRUE(launcher.PressInstall());
    ASSERT_TRUE(SubmitSetup(launcher, folder));
    EXPECT_EQ(launcher.AnswerBox(IDYES), Confirmation(folder));
    EXPECT_EQ(launcher.AnswerBox(IDOK), kReadFailure);
    EXPECT_EQ(launcher.WaitForExit(30000), kExitFailure);
    EXPECT_EQ(WorkFolders(), workFolders);
}

TEST(WholeInstall, FullDiskEndsWithTheReadFailureAndNothingAfterIt) {
    if (GetDriveTypeA("T:\\") == DRIVE_NO_ROOT_DIR)
        GTEST_SKIP() << "no small drive T: (make-install-games.sh maps one when run as root with WINEPREFIX set)";
    const std::string folder = "T:\\E2EBig";
    ForgetInstall("E2E_BIG", nullptr, "Software\\VarnokE2E\\Big", {folder});
    ExpectCopyFailure("bigfile/setup.exe", folder);
    EXPECT_FALSE(PathExists(SpecialFolder(CSIDL_COMMON_PROGRAMS) + "\\E2E_BIG"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallRoot + "E2E_BIG"));
    EXPECT_EQ(RegText(HKEY_CURRENT_USER, "Software\\VarnokE2E\\Big", "IsInst"), "<none>");
    RemoveTree(folder);
}

// A link inside the install folder (planted at data\ once the batch opened
// the folder to everyone) stops the copy there: nothing goes through it.
TEST(WholeInstall, ALinkInsideTheFolderStopsTheCopy) {
    const std::string links = PlantedLinks("varnok-e2e-links");
    ASSERT_FALSE(links.empty()) << "no links planted (tests/win/plant-links.sh)";
    ForgetInstall(kFullTitle, kFullGroup, kFullRegKey, {});
    ExpectCopyFailure("full/setup.exe", links + "\\install");
    EXPECT_TRUE(Names(links + "\\outside").empty());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallRoot + kFullTitle));
}

// ---- before Vista ---------------------------------------------------------

// Wine's per-program Windows version, for the one installer name.
class WineVersionFor {
public:
    WineVersionFor(const std::string& program, const char* version)
        : key_("Software\\Wine\\AppDefaults\\" + program) {
        HKEY made;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &made, nullptr) ==
            ERROR_SUCCESS) {
            RegSetValueExA(made, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version),
                           static_cast<DWORD>(strlen(version) + 1));
            RegCloseKey(made);
        }
    }
    ~WineVersionFor() { RegDeleteTreeA(HKEY_CURRENT_USER, key_.c_str()); }

private:
    std::string key_;
};

TEST(WholeInstall, BeforeVistaTheLinksGoToTheUsersOwnFolders) {
    const std::string folder = "C:\\E2E XP";
    ForgetInstall(kFullTitle, kFullGroup, "", {folder});
    WineVersionFor xp("xp-setup.exe", "winxp");
    {
        Launcher launcher(Game("full/xp-setup.exe"));
        ASSERT_TRUE(launcher.Up());
        InstallSeen seen = RunWholeInstall(launcher, {folder, DesktopAnswer::Ticked, false});
        EXPECT_EQ(seen.exitCode, 0u);
    }
    ExpectFullLinks(SpecialFolder(CSIDL_PROGRAMS), folder);
    ExpectLink(SpecialFolder(CSIDL_DESKTOPDIRECTORY) + "\\" + kFullTitle + ".LNK", folder + "\\game.exe",
               kFullDescription);
    EXPECT_FALSE(PathExists(SpecialFolder(CSIDL_COMMON_PROGRAMS) + "\\" + kFullGroup));
    EXPECT_FALSE(PathExists(SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + "\\" + kFullTitle + ".LNK"));
}

}  // namespace
