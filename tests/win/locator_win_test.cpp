// The file locator on Windows: the existence test, the retry question
// answered from a helper thread.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

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
    char out[kPathSize] = "junk";
    EXPECT_EQ(FindResourcePath("install.env", out), nullptr);
    EXPECT_STREQ(out, "");

    ASSERT_TRUE(WriteFileBytes(folder_ / "install.env", "TITLEBAR x\r\n"));
    EXPECT_EQ(ResourceFileExists("install.env"), 1);
    EXPECT_EQ(ResourceFileExists("INSTALL.ENV"), 1) << "Windows names ignore case";
    // Text mode: CR LF reads as LF.
    EXPECT_EQ(ReadAndClose(OpenResourceFile("install.env", "rt")), "TITLEBAR x\n");
}

// One helper answers both questions; the file appears only before the second Retry.
TEST_F(LocatorWinTest, EveryRetryAsksAgainUntilTheFileOpens) {
    std::string target = folder_ / "insttscr.rct";
    std::vector<std::string> asked;
    std::thread helper([&] {
        for (int i = 0; i < 2; ++i) {
            HWND box = WaitForMessageBox(GetCurrentProcessId(), 20000);
            if (!box)
                return;
            asked.push_back(MessageBoxText(box));
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
    EXPECT_EQ(asked, (std::vector<std::string>{kRetryText, kRetryText}));
    EXPECT_EQ(ClipboardText(), kRetryText);
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

}  // namespace
