// The destination folder under Wine: the registry helpers against the real
// registry, the SETUP dialog driven through its window, the folder creation
// and the CD-ROM search on a drive the test prefix marks as one.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "config/setting_table.h"
#include "config/transfer.h"
#include "config/user_registry.h"
#include "install/destination_folder.h"
#include "install/destination_path.h"
#include "resources/resource.h"
#include "shell/owner_window.h"
#include "tests/e2e/driver/win_driver.h"
#include "tests/win/temp_folder.h"

namespace {

constexpr DWORD kWaitMs = 20000;
constexpr char kGlobal[] = "VarnokTest";
// インストール先のフォルダの指定
constexpr char kSetupCaption[] =
    "\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x90\xe6\x82\xcc\x83\x74\x83\x48\x83\x8b\x83\x5f\x82\xcc\x8e"
    "\x77\x92\xe8";
// ]にインストールします
constexpr char kConfirmSuffix[] = "]\x82\xc9\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x82\xb5\x82\xdc\x82\xb7";
// The game's key for this run, removed with its values afterwards.
class TestKey {
public:
    TestKey() : local_("Dest" + std::to_string(GetCurrentProcessId())) { Remove(); }
    ~TestKey() { Remove(); }
    const char* local() const { return local_.c_str(); }
    std::string path() const { return std::string("Software\\") + kGlobal + "\\" + local_; }
    void SetText(const char* name, const std::string& text) const {
        RegSetKeyValueA(HKEY_CURRENT_USER, path().c_str(), name, REG_SZ, text.c_str(),
                        static_cast<DWORD>(text.size() + 1));
    }
    void SetDword(const char* name, DWORD value) const {
        RegSetKeyValueA(HKEY_CURRENT_USER, path().c_str(), name, REG_DWORD, &value, sizeof value);
    }
    void Remove() const {
        RegDeleteTreeA(HKEY_CURRENT_USER, path().c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, path().c_str());
    }

private:
    std::string local_;
};

TEST(UserRegistryTest, ReadsTakeOnlyTextValues) {
    TestKey key;
    char out[8] = "keep";
    EXPECT_EQ(ReadUserString(kGlobal, key.local(), "InstTo", "default", out, sizeof out), -1) << "no key";
    EXPECT_STREQ(out, "default");
    EXPECT_EQ(ReadUserInt(kGlobal, key.local(), "IsInst", 7), 7);

    key.SetText("Text", "D:\\Games\\X");
    key.SetText("One", "1");
    key.SetText("Long", std::string(600, 'x'));
    key.SetDword("Dword", 1);
    struct Case {
        const char* name;
        int read;
        const char* text;  // what an 8-byte buffer ends up with
        int number;        // ReadUserInt with default 5
    };
    for (Case c : {Case{"Text", 0, "D:\\Game", 0}, Case{"One", 0, "1", 1}, Case{"Long", -1, "def", 5},
                   Case{"Dword", -1, "def", 5}, Case{"Missing", -1, "def", 5}}) {
        EXPECT_EQ(ReadUserString(kGlobal, key.local(), c.name, "def", out, sizeof out), c.read) << c.name;
        EXPECT_STREQ(out, c.text) << c.name;
        EXPECT_EQ(ReadUserInt(kGlobal, key.local(), c.name, 5), c.number) << c.name;
    }
}

TEST(UserRegistryTest, WriteCreatesTheKeyAndReadsBack) {
    TestKey key;
    ASSERT_EQ(WriteUserString(kGlobal, key.local(), "Path", "C:\\Games\\\x95\x5c"), 0);
    char out[512];
    EXPECT_EQ(ReadUserString(kGlobal, key.local(), "Path", "", out, sizeof out), 0);
    EXPECT_STREQ(out, "C:\\Games\\\x95\x5c");
}

TEST(UserRegistryTest, MachineProbeLeavesItsKey) {
    std::string local = "Probe" + std::to_string(GetCurrentProcessId());
    std::string path = std::string("Software\\") + kGlobal + "\\" + local;
    ASSERT_EQ(ProbeMachineKey(kGlobal, local.c_str()), 0);
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key), ERROR_SUCCESS);
    if (key)
        RegCloseKey(key);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
}

// The test prefix maps Q: to a folder marked "cdrom" in Wine's drive settings.
TEST(CdromTest, MarkedDriveIsFoundAndUsedByTheExpansion) {
    if (GetDriveTypeA("Q:\\") != DRIVE_CDROM)
        GTEST_SKIP() << "Q: is not marked as a CD-ROM drive in this prefix";
    for (char letter = 'A'; letter < 'Q'; ++letter) {
        char root[] = {letter, ':', '\\', '\0'};
        if (GetDriveTypeA(root) == DRIVE_CDROM)
            GTEST_SKIP() << root << " is a CD-ROM drive before Q:";
    }
    EXPECT_STREQ(FindCdromRoot(), "Q:\\");
    SetCdromRootOverride(nullptr);
    EXPECT_STREQ(ExpandRegPlaceholders("\"Cd\"=\"REP_CDROM\""), "\"Cd\"=\"Q:\\\"");
}

TEST(CreateFolderPathTest, CreatesOnlyMissingLevelsAndKeepsTheCurrentDirectory) {
    TempFolder base, start;
    SetCurrentDirectoryA(start.path().c_str());
    ASSERT_TRUE(WriteFileBytes(base / "keep.txt", "x"));
    ASSERT_TRUE(WriteFileBytes(base / "file", "x"));
    char missing[] = "?:\\x";
    DWORD drives = GetLogicalDrives();
    for (char letter = 'Z'; letter > 'A'; --letter)
        if (!(drives & (1u << (letter - 'A'))))
            missing[0] = letter;
    ASSERT_NE(missing[0], '?');
    struct Case {
        std::string path;
        int result;
        std::string made;  // a folder that must exist afterwards
    };
    const Case cases[] = {
        {base / "A\\B\\C", 0, base / "A\\B\\C"},
        {base / "A\\D\\", 0, base / "A\\D"},
        {base.path(), 0, base / "keep.txt"},
        {base / "file\\sub", 1, ""},
        {missing, 1, ""},
        {"C:", 1, ""},
        {"C:\\", 0, "C:\\"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CreateFolderPath(c.path.c_str()), c.result) << c.path;
        EXPECT_EQ(CurrentDirectory(), start.path()) << c.path;
        if (!c.made.empty()) {
            EXPECT_TRUE(PathExists(c.made)) << c.path;
        }
    }
    SetCurrentDirectoryA("C:\\");
}

// What one run of ChooseDestinationFolder showed and gave.
struct SetupRun {
    HWND owner = nullptr;
    std::string shown;        // the edit field as SETUP opened
    std::string afterBrowse;  // the edit field after the picker closed
    std::vector<SeenBox> boxes;
    int result = 0;
    std::string out;
};

// A step on the open SETUP dialog, run from the helper thread.
using SetupAction = std::function<void(HWND setup, SetupRun& run)>;

SetupAction Type(const std::string& text, int button) {
    return [=](HWND setup, SetupRun&) {
        SetControlText(setup, IDE_SETUP_FOLDER, text);
        PressButton(setup, button);
    };
}

// The picker fills its tree after it shows: select until the folder's own
// item is the selection.
void SelectInPicker(HWND picker, const std::string& folder) {
    const std::string leaf = folder.substr(folder.rfind('\\') + 1);
    HWND tree = FindWindowExA(picker, nullptr, WC_TREEVIEWA, nullptr);
    for (int attempt = 0; attempt < 50; ++attempt) {
        SendMessageA(picker, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
        char text[MAX_PATH] = "";
        TVITEMA item = {};
        item.mask = TVIF_TEXT;
        item.hItem = TreeView_GetSelection(tree);
        item.pszText = text;
        item.cchTextMax = sizeof text;
        if (item.hItem && TreeView_GetItem(tree, &item) && leaf == text)
            return;
        Sleep(100);
    }
}

// Opens the picker, picks `folder` (or cancels when empty), answers the box
// the pick brings when `box` is given, then presses `button`.
SetupAction Browse(const std::string& typed, const std::string& folder, int button, int box = 0) {
    return [=](HWND setup, SetupRun& run) {
        SetControlText(setup, IDE_SETUP_FOLDER, typed);
        PressButton(setup, IDB_SETUP_BROWSE);
        HWND picker = WaitForOwnedDialog(setup, kWaitMs);
        if (!picker)
            return;
        if (!folder.empty())
            SelectInPicker(picker, folder);
        PressButton(picker, folder.empty() ? IDCANCEL : IDOK);
        WaitUntilGone(picker, kWaitMs);
        if (box)
            run.boxes.push_back(AnswerMessageBox(GetCurrentProcessId(), box));
        run.afterBrowse = WindowText(GetDlgItem(setup, IDE_SETUP_FOLDER));
        PressButton(setup, button);
    };
}

class SetupDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        std::string settings = std::string("REG_GLOBAL ") + kGlobal + "\nREG_LOCAL " + key_.local() +
                               "\nINSTTO Title\nINSTFOL Maker\n";
        ASSERT_TRUE(WriteFileBytes(files_ / "install.env", settings));
        FreeSettingTable();
        FILE* file = std::fopen((files_ / "install.env").c_str(), "r");
        ASSERT_NE(file, nullptr);
        LoadSettingTableFrom(file);
        std::fclose(file);
        owner_ = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 50, nullptr,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
        SetOwnerWindow(owner_);
        SetCurrentDirectoryA(start_.path().c_str());
        char windows[MAX_PATH];
        GetWindowsDirectoryA(windows, sizeof windows);
        proposal_ = std::string(windows, 3) + "Program Files\\Maker\\Title";
    }
    void TearDown() override {
        SetCurrentDirectoryA("C:\\");
        SetOwnerWindow(nullptr);
        DestroyWindow(owner_);
        FreeSettingTable();
        CoUninitialize();
    }

    SetupRun Run(const SetupAction& act, std::vector<int> answers) {
        SetupRun run;
        std::thread driver([&] {
            HWND setup = WaitForDialog(GetCurrentProcessId(), kSetupCaption, kWaitMs);
            if (!setup)
                return;
            run.owner = GetWindow(setup, GW_OWNER);
            run.shown = WindowText(GetDlgItem(setup, IDE_SETUP_FOLDER));
            act(setup, run);
            for (int answer : answers)
                run.boxes.push_back(AnswerMessageBox(GetCurrentProcessId(), answer));
        });
        char out[260] = "untouched";
        run.result = ChooseDestinationFolder(out);
        driver.join();
        run.out = out;
        EXPECT_EQ(CurrentDirectory(), start_.path());
        return run;
    }

    TestKey key_;
    TempFolder files_, start_;
    HWND owner_ = nullptr;
    std::string proposal_;
};

TEST_F(SetupDialogTest, TypedFolderIsNormalisedAndConfirmed) {
    SetupRun run = Run(Type("C:/Games/X\\", IDOK), {IDYES});
    EXPECT_EQ(run.owner, owner_);
    EXPECT_EQ(run.shown, proposal_);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].text, std::string("[C:\\Games\\X") + kConfirmSuffix);
    EXPECT_EQ(run.result, 0);
    EXPECT_EQ(run.out, "C:\\Games\\X");
}

TEST_F(SetupDialogTest, ProposalAndRefusals) {
    struct Case {
        const char* name;
        std::function<void(const TestKey&)> remember;
        const char* shown;  // null: the default proposal
        SetupAction act;
        std::vector<int> answers;
        const char* boxText;  // null: no box
        bool browsed;
    };
    const Case cases[] = {
        {"remembered folder; Cancel", [](const TestKey& k) { k.SetText("IsInst", "1"); k.SetText("InstTo", "D:\\Games\\X"); },
         "D:\\Games\\X", Type("", IDCANCEL), {}, nullptr, false},
        {"IsInst as a number counts as absent; a UNC path",
         [](const TestKey& k) { k.SetDword("IsInst", 1); k.SetText("InstTo", "D:\\Games\\X"); }, nullptr,
         Type("\\\\server\\share", IDOK), {IDOK}, RefusalText(FolderVerdict::Network), false},
        {"IsInst 0 keeps the default; a bare drive is a root",
         [](const TestKey& k) { k.SetText("IsInst", "0"); k.SetText("InstTo", "D:\\Games\\X"); }, nullptr,
         Type("C:", IDOK), {IDRETRY}, RefusalText(FolderVerdict::Root), false},
        {"a cancelled picker rewrites the field", [](const TestKey&) {}, nullptr, Browse("typed", "", IDCANCEL), {},
         nullptr, true},
    };
    for (const Case& c : cases) {
        key_.Remove();
        c.remember(key_);
        SetupRun run = Run(c.act, c.answers);
        EXPECT_EQ(run.shown, c.shown ? c.shown : proposal_) << c.name;
        EXPECT_EQ(run.result, -1) << c.name;
        EXPECT_EQ(run.out, "untouched") << c.name;
        ASSERT_EQ(run.boxes.size(), c.answers.size()) << c.name;
        if (c.boxText) {
            EXPECT_TRUE(run.boxes[0].found) << c.name;
            EXPECT_EQ(run.boxes[0].text, c.boxText) << c.name;
        }
        EXPECT_EQ(run.afterBrowse, c.browsed ? proposal_ : "") << c.name;
    }
}

TEST_F(SetupDialogTest, PickedFolderGetsTheGameFoldersAndNoStops) {
    TempFolder picked;
    SetupRun run = Run(Browse("typed", picked.path(), IDOK), {IDNO});
    std::string composed = picked / "Maker\\Title";
    EXPECT_EQ(run.afterBrowse, composed);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].text, "[" + composed + kConfirmSuffix);
    EXPECT_EQ(run.result, -1);
    EXPECT_EQ(run.out, "untouched");
}

// A pick too long for the game's folders says so and leaves SETUP open,
// its field as it was: the player goes on with another folder.
TEST_F(SetupDialogTest, TooLongPickKeepsSetupOpen) {
    TempFolder base;
    const std::string picked = base / std::string(250 - base.path().size() - 1, 'p');
    ASSERT_TRUE(CreateDirectoryA(picked.c_str(), nullptr));
    SetupRun run = Run(Browse("typed", picked, IDOK, IDOK), {IDNO});
    ASSERT_EQ(run.boxes.size(), 2u);
    EXPECT_EQ(run.boxes[0].text, RefusalText(FolderVerdict::TooLong));
    EXPECT_EQ(run.afterBrowse, "typed");
    EXPECT_EQ(run.boxes[1].text, "[" + proposal_.substr(0, 3) + "typed" + kConfirmSuffix);
}

}  // namespace
