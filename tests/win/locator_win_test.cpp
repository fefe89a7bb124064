// The file locator on Windows: the existence test, the retry question
// answered from a helper thread, and real folder paths of a folder table.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>

#include "config/section_lists.h"
#include "config/setting_table.h"
#include "resfile/file_locator.h"
#include "shell/owner_window.h"
#include "tests/e2e/driver/win_driver.h"
#include "tests/win/temp_folder.h"

namespace {

// Ffopen : ファイル[insttscr.rct]の読み込みで失敗しました
constexpr char kRetryText[] =
    "Ffopen : \x83\x74\x83\x40\x83\x43\x83\x8b[insttscr.rct]\x82\xcc\x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x82\xc5\x8e\xb8"
    "\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd";

// Runs each test with a fresh folder current and the locator as start-up leaves it.
class LocatorWinTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = CurrentDirectory();
        SetCurrentDirectoryA(folder_.path().c_str());
        SetOwnerWindow(nullptr);
        SetDirectOpenAllowed(1);
        SetSearchContainers(nullptr);
    }
    void TearDown() override { SetCurrentDirectoryA(saved_.c_str()); }
    static std::string ReadAndClose(FILE* f) {
        std::string text;
        char buf[256];
        while (size_t n = std::fread(buf, 1, sizeof buf, f))
            text.append(buf, n);
        std::fclose(f);
        return text;
    }
    TempFolder folder_;
    std::string saved_;
};

TEST_F(LocatorWinTest, ExistenceTestInTheCurrentFolder) {
    EXPECT_EQ(ResourceFileExists("install.env"), 0);
    char out[kLocatorPathSize] = "junk";
    EXPECT_EQ(FindResourcePath("install.env", out), nullptr);
    EXPECT_STREQ(out, "");

    ASSERT_TRUE(WriteFileBytes(folder_ / "install.env", "TITLEBAR x\r\n"));
    EXPECT_EQ(ResourceFileExists("install.env"), 1);
    EXPECT_EQ(ResourceFileExists("INSTALL.ENV"), 1) << "Windows names ignore case";
    // Text mode: CR LF reads as LF.
    EXPECT_EQ(ReadAndClose(OpenResourceFile("install.env", "rt")), "TITLEBAR x\n");
}

TEST_F(LocatorWinTest, RetryAfterTheFileIsPutInPlaceReturnsItOpen) {
    std::string target = folder_ / "insttscr.rct";
    BoxAnswerer answer(IDRETRY, [&](const SeenBox&) { WriteFileBytes(target, "RCT"); });
    FILE* f = OpenResourceFile("insttscr.rct", "rb");
    const SeenBox& box = answer.Seen();
    ASSERT_TRUE(box.found);
    EXPECT_EQ(box.text, kRetryText);
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(ClipboardText(), kRetryText);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(ReadAndClose(f), "RCT");
}

TEST_F(LocatorWinTest, EveryRetryAsksAgainUntilTheFileOpens) {
    std::string target = folder_ / "insttscr.rct";
    int asked = 0;
    // One helper answers both questions: the file appears only before the second Retry.
    std::thread helper([&] {
        for (int i = 0; i < 2; ++i) {
            HWND box = WaitForMessageBox(GetCurrentProcessId(), 20000);
            if (!box)
                return;
            ++asked;
            if (i == 1)
                WriteFileBytes(target, "late");
            PressButton(box, IDRETRY);
            while (IsWindow(box))
                Sleep(10);
        }
    });
    std::string text = ReadAndClose(OpenResourceFile("insttscr.rct", "rb"));
    helper.join();
    EXPECT_EQ(text, "late");
    EXPECT_EQ(asked, 2);
}

TEST_F(LocatorWinTest, FolderTableOpensFolderBackslashName) {
    CreateDirectoryA((folder_ / "pics").c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(folder_ / "pics\\menu.rct", "from the table"));
    std::string folder = folder_ / "pics";
    FolderTableEntry table[] = {{ResourceNameHash("menu.rct"), folder.c_str()}};
    SearchContainer c = {"", kFolderContainer, table, 1, nullptr, 0, nullptr};
    SetSearchContainers(&c);
    EXPECT_EQ(ReadAndClose(LocateAndOpen("MENU.RCT", "rb")), "from the table");
    SetSearchContainers(nullptr);
}

TEST(LocatorWinDeathTest, CancelEndsTheProcessWithMinusOne) {
    TempFolder folder;
    SetCurrentDirectoryA(folder.path().c_str());
    EXPECT_EXIT(
        {
            BoxAnswerer answer(IDCANCEL);
            OpenResourceFile("insttscr.rct", "rb");
            std::fputs("returned to the caller\n", stderr);
        },
        ::testing::ExitedWithCode(-1), "");
}

// The settings file as start-up reads it: the key pass through the locator,
// the section pass from the current folder.
TEST_F(LocatorWinTest, SettingsLoadFromTheCurrentFolder) {
    ASSERT_TRUE(WriteFileBytes(folder_ / "install.env",
                               "TITLEBAR\t\x83\x65\x83\x58\x83\x67|1\r\n[ini]\r\nA=1 ; c \r\n-\r\n[EOF]\r\n"));
    FreeSettingTable();
    EXPECT_EQ(LoadSettingTable("install.env"), 0);
    LoadSectionLists("install.env");
    EXPECT_STREQ(GetTitleBar(), "\x83\x65\x83\x58\x83\x67 1");
    ASSERT_NE(IniList, nullptr);
    EXPECT_STREQ(IniList->text, "A=1 ; c");
    ClearSectionList(IniList);
    FreeSettingTable();
}

}  // namespace
