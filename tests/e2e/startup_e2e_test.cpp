// The real installer, packed by varnok-pack, started under Wine: how its
// start-up ends with sound, damaged, missing and hostile archives. A sound
// start-up shows the launcher, whose exit button ends the run.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/e2e/driver/win_driver.h"
#include "tests/e2e/e2e_paths.h"
#include "tests/e2e/launcher.h"

namespace {

constexpr DWORD kRunTimeoutMs = 60000;
constexpr DWORD kExitFailure = 0xFFFFFFFF;  // exit code -1
constexpr char kWindowTitle[] = "E2E_TEST" STARTUP_SUFFIX;

// ファイルの読み込みに失敗しました。ファイルが壊れている可能性があります。
constexpr char kReadFailureText[] =
    "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xcc\x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x82\xc9\x8e\xb8\x94\x73\x82\xb5"
    "\x82\xdc\x82\xb5\x82\xbd\x81\x42\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x89\xf3\x82\xea\x82\xc4\x82\xa2"
    "\x82\xe9\x89\xc2\x94\x5c\x90\xab\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb7\x81\x42";

struct StartCase {
    const char* name;
    const char* program;
    const char* folder;  // the current folder it starts in; nullptr: its own
};

std::string FolderOf(const StartCase& c) {
    std::string program = Fixture(c.program);
    return c.folder ? Fixture(c.folder) : program.substr(0, program.rfind('\\'));
}

class NormalEndTest : public ::testing::TestWithParam<StartCase> {};

TEST_P(NormalEndTest, EndsWithZeroAndLeavesNoWorkFolder) {
    const StartCase& c = GetParam();
    std::set<std::string> before = WorkFolders();
    TestProcess installer(Fixture(c.program), FolderOf(c));
    ASSERT_TRUE(installer.Started()) << Fixture(c.program) << ": error " << installer.StartError();
    ASSERT_TRUE(PressLauncherExit(installer, kWindowTitle, kRunTimeoutMs)) << "exit code " << installer.WaitForExit(0);
    EXPECT_EQ(installer.WaitForExit(kRunTimeoutMs), 0u);
    EXPECT_EQ(WorkFolders(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Installer, NormalEndTest,
    // normal/setup.exe in its own folder is the launcher tests' basic case.
    ::testing::Values(
        StartCase{"RenamedWithDamagedInstdatBesideSoundAppended", "renamed-damaged-arc/Renamed Setup.exe", nullptr},
        StartCase{"DamagedInstdatOnlyInTheCurrentFolder", "normal/setup.exe", "current-folder"},
        StartCase{"BareStubWithInstdatBeside", "disc/other.exe", nullptr},
        StartCase{"SignedAfterPack", "signed/setup.exe", nullptr},
        StartCase{"SignedBareStubWithInstdatBeside", "signed-disc/setup.exe", nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

class ReadFailureTest : public ::testing::TestWithParam<StartCase> {};

// The box stands while the WorkFolder still exists; after OK it is gone and
// the program ends with -1.
TEST_P(ReadFailureTest, ShowsTheReadFailureAndEndsWithMinusOne) {
    const StartCase& c = GetParam();
    std::set<std::string> before = WorkFolders();
    SetClipboardText("before the installer");
    TestProcess installer(Fixture(c.program), FolderOf(c));
    ASSERT_TRUE(installer.Started()) << Fixture(c.program) << ": error " << installer.StartError();

    HWND box = WaitForMessageBox(installer.Id(), kRunTimeoutMs);
    ASSERT_NE(box, nullptr) << "no message box; exit code " << installer.WaitForExit(0);
    EXPECT_EQ(MessageBoxText(box), kReadFailureText);
    EXPECT_EQ(WindowText(box), "");
    EXPECT_EQ(ClipboardText(), kReadFailureText);
    EXPECT_EQ(WorkFolders().size(), before.size() + 1);

    PressButton(box, IDOK);
    EXPECT_EQ(installer.WaitForExit(kRunTimeoutMs), kExitFailure);
    EXPECT_EQ(WorkFolders(), before);
    EXPECT_EQ(GetFileAttributesA((TempPath() + "evil.txt").c_str()), INVALID_FILE_ATTRIBUTES);
}

INSTANTIATE_TEST_SUITE_P(
    Installer, ReadFailureTest,
    ::testing::Values(StartCase{"DamagedStream", "damaged/setup.exe", nullptr},
                      StartCase{"TruncatedArchive", "truncated/setup.exe", nullptr},
                      StartCase{"NoArchive", "missing/setup.exe", nullptr},
                      StartCase{"NameWithParentLevel", "unsafe-parent/setup.exe", nullptr},
                      StartCase{"RootedName", "unsafe-rooted/setup.exe", nullptr},
                      StartCase{"RenamedWithSoundInstdatBesideDamagedAppended", "renamed-sound-arc/other.exe",
                                nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
