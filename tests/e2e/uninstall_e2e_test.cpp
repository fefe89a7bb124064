// The real UnInst.exe under Wine, through its UNINSTALL window and boxes, on
// a game installed once through the installer's windows into a folder whose
// name holds a 0x5C second byte. The first cases meet that install as it
// is; each later one gets it back from a copy of everything it left.
#include <windows.h>

#include <gtest/gtest.h>

#include <shlobj.h>

#include <set>
#include <string>
#include <vector>

#include "tests/e2e/driver/system_checks.h"
#include "tests/e2e/driver/win_driver.h"
#include "tests/e2e/e2e_paths.h"
#include "tests/e2e/install_run.h"
#include "tests/win/temp_folder.h"

namespace {

constexpr DWORD kRunTimeoutMs = 60000;
constexpr char kTitle[] = "E2E_UNINSTALL";
constexpr char kRoot[] = "C:\\UninstallE2E";
// Where the install's traces are kept between the cases.
constexpr char kStash[] = "C:\\UninstallE2E.stash";
constexpr char kStashKey[] = "Software\\VarnokE2E\\UninstallStash";
// ソフト: its first character's second byte is 0x5C.
constexpr char kGameFolderName[] = "\x83\x5c\x83\x74\x83\x67";
// データ\曲.mml
constexpr char kJapaneseFile[] = "\x83\x66\x81\x5b\x83\x5e\\\x8b\xc8.mml";
// アンインストール
constexpr char kUninstallWord[] = "\x83\x41\x83\x93\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b";
// お読みください
constexpr char kReadmeWord[] = "\x82\xa8\x93\xc7\x82\xdd\x82\xad\x82\xbe\x82\xb3\x82\xa2";
// 「E2E_UNINSTALL」をアンインストールします。
constexpr char kQuestion[] = "\x81\x75" "E2E_UNINSTALL\x81\x76\x82\xf0\x83\x41\x83\x93\x83\x43\x83\x93\x83\x58\x83\x67"
                             "\x81\x5b\x83\x8b\x82\xb5\x82\xdc\x82\xb7\x81\x42";
// アンインストールが完了しました。
constexpr char kDone[] = "\x83\x41\x83\x93\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x82\xaa\x8a\xae\x97\xb9\x82"
                         "\xb5\x82\xdc\x82\xb5\x82\xbd\x81\x42";
constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\RuRidE2E_UNINSTALL";
constexpr char kGameKey[] = "Software\\VarnokE2E\\Uninstall";
constexpr char kIniFile[] = "varnok_e2e_uninstall.ini";

// Copies a folder with everything below it (times kept).
void CopyTree(const std::string& from, const std::string& to) {
    CreateDirectoryA(to.c_str(), nullptr);
    // Each folder comes before what it holds.
    for (const auto& [name, state] : Tree(from)) {
        if (state.content == "<folder>")
            CreateDirectoryA((to + "\\" + name).c_str(), nullptr);
        else
            CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE);
    }
}

// The finisher's copies in the temp folder.
std::set<std::string> TempCopies() { return NamesMatching(TempPath() + "UnInst_*.exe"); }

// True once the path is gone, waiting up to 20 s (the finisher's work).
bool GoneSoon(const std::string& path) {
    for (int i = 0; i < 200 && PathExists(path); ++i)
        Sleep(100);
    return !PathExists(path);
}

// Presses the button and waits for the window to go, so that the next
// window looked for is not this one.
void PressAndWaitClosed(HWND window, int button) {
    PressButton(window, button);
    for (int i = 0; i < 200 && IsWindow(window) && IsWindowVisible(window); ++i)
        Sleep(50);
}

std::string Folder() { return std::string(kRoot) + "\\" + kGameFolderName; }
std::string GroupRoot() { return SpecialFolder(CSIDL_COMMON_PROGRAMS) + "\\E2E_MAKER"; }
std::string DesktopLink() { return SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + "\\" + kTitle + ".LNK"; }
std::string IniPath() { return SpecialFolder(CSIDL_WINDOWS) + "\\" + kIniFile; }

// Copies a key's values and subkeys into another key, made afresh.
void CopyKey(HKEY fromRoot, const std::string& from, HKEY toRoot, const std::string& to) {
    RegDeleteTreeA(toRoot, to.c_str());
    HKEY source, target;
    if (RegOpenKeyExA(fromRoot, from.c_str(), 0, KEY_READ, &source) != ERROR_SUCCESS)
        return;
    if (RegCreateKeyExA(toRoot, to.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target, nullptr) ==
        ERROR_SUCCESS) {
        RegCopyTreeA(source, nullptr, target);
        RegCloseKey(target);
    }
    RegCloseKey(source);
}

// What the install left, copied to the stash (`save`) or back from it.
void CopyInstallTraces(bool save) {
    const std::string stash = kStash;
    if (save)
        CreateDirectoryA(kStash, nullptr);
    struct Folders {
        std::string live, kept;
    } trees[] = {{Folder(), stash + "\\folder"}, {GroupRoot(), stash + "\\group"}};
    for (const Folders& tree : trees) {
        RemoveTree(save ? tree.kept : tree.live);
        CopyTree(save ? tree.live : tree.kept, save ? tree.kept : tree.live);
    }
    for (const auto& [live, kept] :
         {std::pair{DesktopLink(), stash + "\\desktop.LNK"}, {IniPath(), stash + "\\game.ini"}})
        CopyFileA((save ? live : kept).c_str(), (save ? kept : live).c_str(), FALSE);
    const std::string stashKey = kStashKey;
    struct Key {
        HKEY root;
        std::string live, kept;
    } keys[] = {{HKEY_LOCAL_MACHINE, kUninstallKey, stashKey + "\\uninstall"},
                {HKEY_CURRENT_USER, kGameKey, stashKey + "\\game"}};
    for (const Key& key : keys) {
        if (save)
            CopyKey(key.root, key.live, HKEY_CURRENT_USER, key.kept);
        else
            CopyKey(HKEY_CURRENT_USER, key.kept, key.root, key.live);
    }
}

// Installs the game through the installer's windows, with the desktop link;
// "" when it went well, else what failed.
std::string InstallTheGame() {
    RemoveTree(kRoot);
    RemoveTree(kStash);
    RemoveTree(GroupRoot());
    DeleteFileA(DesktopLink().c_str());
    DeleteFileA(IniPath().c_str());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kUninstallKey);
    RegDeleteTreeA(HKEY_CURRENT_USER, kGameKey);
    RegDeleteTreeA(HKEY_CURRENT_USER, kStashKey);
    Launcher launcher(Fixture("uninstall.exe"));
    if (!launcher.Up())
        return "the installer's launcher did not come up";
    InstallSeen seen = RunWholeInstall(launcher, {Folder(), DesktopAnswer::Ticked, false});
    if (seen.exitCode != 0)
        return "the install ended with " + std::to_string(seen.exitCode);
    // The access batch works on the folder in the background: let it end.
    const std::string batch = TempPath() + "Pelladrover_fullaccess.bat";
    for (DWORD start = GetTickCount(); PathExists(batch) && GetTickCount() - start < 15000;)
        Sleep(100);
    CopyInstallTraces(true);
    return "";
}

// The game as the installer left it, with a save, a file of the player's own
// and the two files the hostile entries point at.
class UninstallTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        installFailure_ = InstallTheGame();
        used_ = false;
    }
    static void TearDownTestSuite() {
        RemoveTree(kRoot);
        RemoveTree(kStash);
        RegDeleteTreeA(HKEY_CURRENT_USER, kStashKey);
    }
    void SetUp() override {
        ASSERT_EQ(installFailure_, "");
        if (used_)
            CopyInstallTraces(false);
        used_ = true;
        base = kRoot;
        folder = Folder();
        CreateDirectoryA((folder + "\\save").c_str(), nullptr);
        WriteFileBytes(folder + "\\save\\slot1.sav", "save");
        WriteFileBytes(folder + "\\mine.txt", "the player's");
        WriteFileBytes(base + "\\outside.txt", "outside");
        WriteFileBytes("C:\\x.txt", "root");
        std::string group = GroupRoot() + "\\" + kTitle;
        links = {group + "\\" + kTitle + ".LNK", group + "\\" + kTitle + " " + kReadmeWord + ".LNK",
                 group + "\\" + kTitle + " " + kUninstallWord + ".LNK", DesktopLink()};
        for (const std::string& link : links)
            ASSERT_TRUE(PathExists(link)) << "the install made no " << link;
        ASSERT_NE(RegText(HKEY_CURRENT_USER, kGameKey, "InstallPath"), "<none>");
        ASSERT_NE(IniText(kIniFile, "Path", "InstallPath"), "<none>");
        tempBefore = TempCopies();
    }
    void TearDown() override { DeleteFileA("C:\\x.txt"); }
    // The case left the install as it found it: the next may use it as it is.
    void KeepInstall() { used_ = HasFailure(); }

    std::string Program() const { return folder + "\\UnInst.exe"; }

    // The uninstaller's window, checked as it first shows.
    HWND WaitForQuestion(const TestProcess& run) {
        HWND dialog = WaitForWindow(run.Id(), "#32770", kRunTimeoutMs);
        if (!dialog)
            return nullptr;
        EXPECT_EQ(WindowText(dialog), kUninstallWord);
        EXPECT_EQ(ControlText(dialog, 1000), kQuestion);
        EXPECT_EQ(ControlText(dialog, 1001), folder);
        EXPECT_FALSE(IsCheckBoxChecked(dialog, 1007));
        return dialog;
    }

    // The game's own files and the system's traces: gone; the hostile
    // entries' targets: untouched.
    void ExpectGameRemoved() {
        for (const char* file : {"install.env", "insttscr.rct", "readme.txt", "varnok.exe", "data\\a.dat",
                                 "data\\b.dat", kJapaneseFile})
            EXPECT_FALSE(PathExists(folder + "\\" + file)) << file;
        EXPECT_FALSE(PathExists(folder + "\\data"));
        for (const std::string& link : links)
            EXPECT_FALSE(PathExists(link)) << link;
        EXPECT_FALSE(PathExists(GroupRoot()));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
        EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kGameKey));
        char value[MAX_PATH];
        EXPECT_EQ(GetPrivateProfileStringA("Path", "InstallPath", "", value, sizeof value, kIniFile), 0u);
        EXPECT_TRUE(PathExists(base + "\\outside.txt"));
        EXPECT_TRUE(PathExists("C:\\x.txt"));
        EXPECT_TRUE(GoneSoon(Program())) << "the finisher left UnInst.exe";
        for (int i = 0; i < 100 && TempCopies() != tempBefore; ++i)
            Sleep(100);
        EXPECT_EQ(TempCopies(), tempBefore) << "the finisher's copy stayed in the temp folder";
    }

    std::string base, folder;
    std::vector<std::string> links;
    std::set<std::string> tempBefore;
    static inline std::string installFailure_;
    static inline bool used_ = false;
};

// First, so that the main case below still meets the install itself.
TEST_F(UninstallTest, CancelTouchesNothing) {
    TestProcess run(Program(), base);
    HWND dialog = WaitForQuestion(run);
    ASSERT_NE(dialog, nullptr);
    PressButton(dialog, IDCANCEL);
    EXPECT_EQ(run.WaitForExit(kRunTimeoutMs), 1u);
    for (const char* file : {"UnInst.exe", "install.env", "varnok.exe", "save\\slot1.sav", kJapaneseFile})
        EXPECT_TRUE(PathExists(folder + "\\" + file)) << file;
    for (const std::string& link : links)
        EXPECT_TRUE(PathExists(link)) << link;
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, kGameKey));
    EXPECT_EQ(TempCopies(), tempBefore);
    KeepInstall();
}

TEST_F(UninstallTest, KeepsSavesAndThePlayersFilesAndListsThem) {
    TestProcess run(Program(), base);
    ASSERT_TRUE(run.Started());
    HWND dialog = WaitForQuestion(run);
    ASSERT_NE(dialog, nullptr);
    PressAndWaitClosed(dialog, IDOK);
    HWND box = WaitForMessageBox(run.Id(), kRunTimeoutMs);
    ASSERT_NE(box, nullptr);
    std::string text = MessageBoxText(box);
    EXPECT_EQ(WindowText(box), kTitle);
    EXPECT_EQ(text.rfind(kDone, 0), 0u) << text;
    EXPECT_NE(text.find(folder), std::string::npos) << text;
    EXPECT_NE(text.find("save\\slot1.sav"), std::string::npos) << text;
    EXPECT_NE(text.find("mine.txt"), std::string::npos) << text;
    PressButton(box, IDOK);
    EXPECT_EQ(run.WaitForExit(kRunTimeoutMs), 0u);
    ExpectGameRemoved();
    EXPECT_TRUE(PathExists(folder + "\\save\\slot1.sav"));
    EXPECT_TRUE(PathExists(folder + "\\mine.txt"));
}

TEST_F(UninstallTest, WithTheBoxTickedTheSavesGoAndTheEmptyFolderToo) {
    DeleteFileA((folder + "\\mine.txt").c_str());
    TestProcess run(Program(), base);
    HWND dialog = WaitForQuestion(run);
    ASSERT_NE(dialog, nullptr);
    SetCheckBox(dialog, 1007, true);
    PressAndWaitClosed(dialog, IDOK);
    HWND box = WaitForMessageBox(run.Id(), kRunTimeoutMs);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), kDone);
    PressButton(box, IDOK);
    EXPECT_EQ(run.WaitForExit(kRunTimeoutMs), 0u);
    ExpectGameRemoved();
    EXPECT_TRUE(GoneSoon(folder)) << "the install folder stayed";
}

TEST_F(UninstallTest, SilentShowsNoWindowAndKeepsTheSaves) {
    TestProcess run(Program(), base, "/S");
    ASSERT_TRUE(run.Started());
    EXPECT_EQ(WaitForWindow(run.Id(), nullptr, 3000), nullptr);
    EXPECT_EQ(run.WaitForExit(kRunTimeoutMs), 0u);
    ExpectGameRemoved();
    EXPECT_TRUE(PathExists(folder + "\\save\\slot1.sav"));
}

TEST_F(UninstallTest, AFileHeldOpenAsksToRetryAndIsReported) {
    std::string held = folder + "\\data\\a.dat";
    HANDLE open = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(open, INVALID_HANDLE_VALUE);
    TestProcess run(Program(), base);
    HWND dialog = WaitForQuestion(run);
    ASSERT_NE(dialog, nullptr);
    PressAndWaitClosed(dialog, IDOK);
    for (int button : {IDRETRY, IDCANCEL}) {
        HWND box = WaitForMessageBox(run.Id(), kRunTimeoutMs);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(MessageBoxText(box).rfind(held + "\n", 0), 0u) << MessageBoxText(box);
        EXPECT_EQ(MessageBoxButtons(box), (std::vector<int>{IDCANCEL, IDRETRY}));
        PressAndWaitClosed(box, button);
    }
    HWND end = WaitForMessageBox(run.Id(), kRunTimeoutMs);
    ASSERT_NE(end, nullptr);
    std::string text = MessageBoxText(end);
    EXPECT_NE(text.find("data\\a.dat"), std::string::npos) << text;
    PressButton(end, IDOK);
    EXPECT_EQ(run.WaitForExit(kRunTimeoutMs), 2u);
    CloseHandle(open);
    EXPECT_TRUE(PathExists(held));
    EXPECT_FALSE(PathExists(folder + "\\data\\b.dat"));
}

TEST(Uninstaller, MissingSettingsAreAnErrorAndTouchNothing) {
    std::string folder = std::string(kRoot) + "\\no-settings";
    RemoveTree(folder);
    CreateDirectoryA(kRoot, nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    CopyFileA(Fixture("uninstall-game\\UnInst.exe").c_str(), (folder + "\\UnInst.exe").c_str(), FALSE);
    TestProcess run(folder + "\\UnInst.exe", folder);
    HWND box = WaitForMessageBox(run.Id(), kRunTimeoutMs);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(MessageBoxText(box).find(folder + "\\install.env"), std::string::npos) << MessageBoxText(box);
    PressButton(box, IDOK);
    EXPECT_EQ(run.WaitForExit(kRunTimeoutMs), 2u);
    EXPECT_TRUE(PathExists(folder + "\\UnInst.exe"));
    RemoveTree(folder);
}

}  // namespace
