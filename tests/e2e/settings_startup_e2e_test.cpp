// The real installer under Wine, from its setup pass to the point where the
// menu would run: the settings file found and read, one copy per title.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "tests/e2e/driver/win_driver.h"
#include "tests/e2e/e2e_paths.h"
#include "tests/e2e/launcher.h"

namespace {

constexpr DWORD kRunTimeoutMs = 60000;
constexpr DWORD kExitFailure = 0xFFFFFFFF;  // exit code -1
// SOURCE_DATE_EPOCH of make-installers.sh as a FILETIME: every stored time is capped there.
constexpr uint64_t kStoredTime = (1230581709ull + 11644473600ull) * 10000000ull;

constexpr char kNormalTitle[] = "E2E_TEST";
constexpr char kNormalWindowTitle[] = "E2E_TEST" STARTUP_SUFFIX;
// [ E2E_TEST スタートアップ ] は既に起動中です
constexpr char kAlreadyRunningText[] =
    "[ E2E_TEST" STARTUP_SUFFIX " ] \x82\xcd\x8a\xf9\x82\xc9\x8b\x4e\x93\xae\x92\x86\x82\xc5\x82\xb7";
// 起動に必要なファイルが不足しています。\nインストールの異常終了、起動するフォルダ異常、等を確認してください。
constexpr char kSettingsMissingText[] =
    "\x8b\x4e\x93\xae\x82\xc9\x95\x4b\x97\x76\x82\xc8\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x95\x73\x91\xab\x82\xb5"
    "\x82\xc4\x82\xa2\x82\xdc\x82\xb7\x81\x42\n"
    "\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x82\xcc\x88\xd9\x8f\xed\x8f\x49\x97\xb9\x81\x41\x8b\x4e\x93\xae"
    "\x82\xb7\x82\xe9\x83\x74\x83\x48\x83\x8b\x83\x5f\x88\xd9\x8f\xed\x81\x41\x93\x99\x82\xf0\x8a\x6d\x94\x46\x82\xb5"
    "\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81\x42";
// [設定.env]の[reg]が終了していません
constexpr char kOpenRegText[] =
    "[\x90\xdd\x92\xe8.env]\x82\xcc[reg]\x82\xaa\x8f\x49\x97\xb9\x82\xb5\x82\xc4\x82\xa2\x82\xdc"
    "\x82\xb9\x82\xf1";
constexpr char kUntouched[] = "clipboard before the installer";

// Plays the first installer of a title: holds the mutex it would hold.
class FirstInstance {
public:
    explicit FirstInstance(const char* windowTitle) : mutex_(CreateMutexA(nullptr, TRUE, windowTitle)) {}
    ~FirstInstance() { CloseHandle(mutex_); }
    FirstInstance(const FirstInstance&) = delete;
    FirstInstance& operator=(const FirstInstance&) = delete;
    bool Held() const { return mutex_ != nullptr; }

private:
    HANDLE mutex_;
};

// The plain files of a folder with their last-write times.
std::map<std::string, uint64_t> FilesIn(const std::string& folder) {
    std::map<std::string, uint64_t> files;
    WIN32_FIND_DATAA found;
    HANDLE scan = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (scan == INVALID_HANDLE_VALUE)
        return files;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            files[found.cFileName] =
                (uint64_t(found.ftLastWriteTime.dwHighDateTime) << 32) | found.ftLastWriteTime.dwLowDateTime;
        else if (std::string(found.cFileName) != "." && std::string(found.cFileName) != "..")
            files[std::string(found.cFileName) + "\\"] = 0;
    } while (FindNextFileA(scan, &found));
    FindClose(scan);
    return files;
}

// The one WorkFolder that is in `after` but not in `before`, or "".
std::string NewWorkFolder(const std::set<std::string>& before, const std::set<std::string>& after) {
    std::set<std::string> added;
    std::set_difference(after.begin(), after.end(), before.begin(), before.end(), std::inserter(added, added.end()));
    return added.size() == 1 ? TempPath() + *added.begin() : "";
}

class SettingsStartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        before_ = WorkFolders();
        SetClipboardText(kUntouched);
    }
    // Starts a fixture installer in its own folder.
    void Start(const std::string& program) {
        std::string path = Fixture(program);
        installer_ = std::make_unique<TestProcess>(path, path.substr(0, path.rfind('\\')));
        ASSERT_TRUE(installer_->Started()) << path << ": error " << installer_->StartError();
    }
    HWND Box() {
        HWND box = WaitForMessageBox(installer_->Id(), kRunTimeoutMs);
        EXPECT_NE(box, nullptr) << "no message box; exit code " << installer_->WaitForExit(0);
        return box;
    }
    std::set<std::string> before_;
    std::unique_ptr<TestProcess> installer_;
};

// While the box stands the second copy's WorkFolder holds exactly the set-up
// files with their stored times; after OK it is gone and the copy ends with 0.
TEST_F(SettingsStartupTest, SecondCopyOfATitleIsRefused) {
    FirstInstance first(kNormalWindowTitle);
    ASSERT_TRUE(first.Held());
    Start("normal/setup.exe");
    HWND box = Box();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), kAlreadyRunningText);
    EXPECT_EQ(WindowText(box), kNormalTitle);
    EXPECT_EQ(GetWindow(box, GW_OWNER), nullptr);
    EXPECT_NE(GetDlgItem(box, IDOK), nullptr) << "MB_OK: one OK button";
    EXPECT_EQ(GetDlgItem(box, IDCANCEL), nullptr);
    EXPECT_EQ(ClipboardText(), kUntouched) << "this box is not copied to the clipboard";

    std::string workFolder = NewWorkFolder(before_, WorkFolders());
    ASSERT_NE(workFolder, "");
    EXPECT_EQ(FilesIn(workFolder), (std::map<std::string, uint64_t>{
                                       {"install.env", kStoredTime},
                                       {"insttscr.rct", kStoredTime},
                                       {"readme.txt", kStoredTime},
                                   }));

    PressButton(box, IDOK);
    EXPECT_EQ(installer_->WaitForExit(kRunTimeoutMs), 0u);
    EXPECT_EQ(WorkFolders(), before_);
}

TEST_F(SettingsStartupTest, DifferentTitlesRunSideBySide) {
    FirstInstance other("E2E_OTHER" STARTUP_SUFFIX);
    ASSERT_TRUE(other.Held());
    Start("normal/setup.exe");
    ASSERT_TRUE(PressLauncherExit(*installer_, kNormalWindowTitle, kRunTimeoutMs));
    EXPECT_EQ(installer_->WaitForExit(kRunTimeoutMs), 0u);
    EXPECT_EQ(WorkFolders(), before_);
}

TEST_F(SettingsStartupTest, MissingSettingsFileEndsWithMinusOne) {
    Start("no-settings/setup.exe");
    HWND box = Box();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), kSettingsMissingText);
    EXPECT_EQ(WindowText(box), "");
    EXPECT_EQ(ClipboardText(), kSettingsMissingText);
    EXPECT_EQ(WorkFolders().size(), before_.size() + 1);
    PressButton(box, IDOK);
    EXPECT_EQ(installer_->WaitForExit(kRunTimeoutMs), kExitFailure);
    EXPECT_EQ(WorkFolders(), before_);
}

// A title no mutex can be named after: the installer ends with 0, silently.
TEST_F(SettingsStartupTest, MutexThatCannotBeMadeEndsWithZero) {
    EXPECT_EQ(CreateMutexA(nullptr, TRUE, "E2E\\SLASH" STARTUP_SUFFIX), nullptr);
    Start("backslash-title/setup.exe");
    EXPECT_EQ(installer_->WaitForExit(kRunTimeoutMs), 0u);
    EXPECT_EQ(WorkFolders(), before_);
}

// Retry does not read the file again: either button ends the program, and
// the WorkFolder stays behind.
class OpenSectionTest : public SettingsStartupTest, public ::testing::WithParamInterface<int> {};

TEST_P(OpenSectionTest, EndsWithMinusOneWhicheverButton) {
    Start("open-reg/setup.exe");
    HWND box = Box();
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(MessageBoxText(box), kOpenRegText);
    EXPECT_EQ(ClipboardText(), kOpenRegText);
    PressButton(box, GetParam());
    EXPECT_EQ(installer_->WaitForExit(kRunTimeoutMs), kExitFailure);
    EXPECT_EQ(RemoveWorkFoldersAddedSince(before_), 1);
}

INSTANTIATE_TEST_SUITE_P(Installer, OpenSectionTest, ::testing::Values(IDRETRY, IDCANCEL),
                         [](const auto& info) { return std::string(info.param == IDRETRY ? "Retry" : "Cancel"); });

}  // namespace
