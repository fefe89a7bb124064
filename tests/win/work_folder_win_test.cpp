// The WorkFolder's life, the file scan that empties it, and the message pump.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <string>

#include "shell/message_pump.h"
#include "shell/work_folder.h"
#include "tests/e2e/e2e_paths.h"
#include "tests/win/temp_folder.h"

namespace {

TEST(WorkFolderNameTest, TickCountIsASignedNineDigitNumber) {
    struct Case {
        uint32_t ticks;
        const char* name;
    };
    for (Case c : {Case{0, "VezuDURuvedarOvurod_000000000"}, Case{1234567, "VezuDURuvedarOvurod_001234567"},
                   Case{2147483647u, "VezuDURuvedarOvurod_2147483647"},
                   Case{2147483648u, "VezuDURuvedarOvurod_-2147483648"},
                   Case{4294967295u, "VezuDURuvedarOvurod_-00000001"}}) {
        char name[32];
        FormatWorkFolderName(name, c.ticks);
        EXPECT_STREQ(name, c.name) << c.ticks;
    }
}

// Runs each test from a start folder of its own holding a file that must survive.
class WorkFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = CurrentDirectory();
        ASSERT_TRUE(WriteFileBytes(start_ / "keep.txt", "mine"));
        SetCurrentDirectoryA(start_.path().c_str());
    }
    void TearDown() override {
        SetCurrentDirectoryA(saved_.c_str());
        RemoveTree(GetWorkFolderPath());
    }
    TempFolder start_;
    std::string saved_;
};

TEST_F(WorkFolderTest, LivesUnderTheTempPathAsTheCurrentDirectoryUntilRemoved) {
    CreateWorkFolder();
    std::string path = GetWorkFolderPath();
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    EXPECT_EQ(path.rfind(std::string(temp) + "VezuDURuvedarOvurod_", 0), 0u) << path;
    EXPECT_TRUE(IsDirectory(path));
    EXPECT_EQ(CurrentDirectory(), path);

    ASSERT_TRUE(WriteFileBytes("install.env", "TITLEBAR=x\r\n"));
    ASSERT_TRUE(WriteFileBytes(path + "\\readme.txt", "text"));
    RemoveWorkFolder();
    EXPECT_FALSE(PathExists(path));
    EXPECT_EQ(CurrentDirectory(), start_.path());
}

// Names planted for 600 ms of ticks ahead are passed over once that time
// has come: the WorkFolder is always one this run made.
TEST_F(WorkFolderTest, ANameTakenInAdvanceIsNotReused) {
    std::set<std::string> planted;
    const DWORD from = GetTickCount() + 3000;
    for (DWORD ticks = from; ticks != from + 600; ++ticks) {
        char name[32];
        FormatWorkFolderName(name, ticks);
        if (std::string path = TempPath() + name; CreateDirectoryA(path.c_str(), nullptr))
            planted.insert(path);
    }
    while (static_cast<int32_t>(GetTickCount() - (from + 200)) < 0)
        Sleep(10);
    const bool inTime = GetTickCount() - from < 400;
    if (inTime)
        CreateWorkFolder();
    for (const std::string& path : planted)
        RemoveDirectoryA(path.c_str());
    if (!inTime)
        GTEST_SKIP() << "planting took longer than three seconds";
    EXPECT_EQ(planted.count(GetWorkFolderPath()), 0u) << GetWorkFolderPath();
    EXPECT_TRUE(IsDirectory(GetWorkFolderPath()));
}

// A start folder too long to keep (259 bytes or more): the WorkFolder is
// still left and removed.
TEST_F(WorkFolderTest, AStartFolderTooLongToKeepStillLetsTheFolderGo) {
    std::string deep = start_.path();
    while (deep.size() < 262) {
        deep += "\\" + std::string(40, 'd');
        CreateDirectoryA(("\\\\?\\" + deep).c_str(), nullptr);
    }
    if (!SetCurrentDirectoryA(deep.c_str()) || CurrentDirectory().size() < 259)
        GTEST_SKIP() << "this system cannot enter a " << deep.size() << "-byte folder";
    CreateWorkFolder();
    std::string path = GetWorkFolderPath();
    ASSERT_EQ(CurrentDirectory(), path);
    ASSERT_TRUE(WriteFileBytes("install.env", "TITLEBAR=x\r\n"));
    RemoveWorkFolder();
    EXPECT_FALSE(PathExists(path));
}

// Once the folder is gone, the scan must not turn on the start folder.
TEST_F(WorkFolderTest, RemovingTwiceLeavesTheStartFolderAlone) {
    CreateWorkFolder();
    RemoveWorkFolder();
    RemoveWorkFolder();
    EXPECT_EQ(ReadFileBytes(start_ / "keep.txt"), "mine");
    DeleteFolderFiles((start_ / "missing").c_str(), "*.*");
    EXPECT_EQ(ReadFileBytes(start_ / "keep.txt"), "mine");
}

TEST_F(WorkFolderTest, SubfolderKeepsTheFolderButItsPlainFilesGo) {
    CreateWorkFolder();
    std::string path = GetWorkFolderPath();
    ASSERT_TRUE(WriteFileBytes(path + "\\plain.txt", "a"));
    ASSERT_TRUE(WriteFileBytes(path + "\\hidden.dat", "b"));
    SetFileAttributesA((path + "\\hidden.dat").c_str(), FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(CreateDirectoryA((path + "\\sub").c_str(), nullptr));
    ASSERT_TRUE(WriteFileBytes(path + "\\sub\\inner.txt", "c"));
    RemoveWorkFolder();
    EXPECT_TRUE(IsDirectory(path));
    EXPECT_FALSE(PathExists(path + "\\plain.txt"));
    EXPECT_FALSE(PathExists(path + "\\hidden.dat"));
    EXPECT_TRUE(PathExists(path + "\\sub\\inner.txt"));
}

std::set<std::string> ScanAll(const std::string& pattern) {
    std::set<std::string> paths;
    if (BeginFileScan(pattern.c_str()) != 0)
        return paths;
    while (const char* path = NextScannedFile())
        paths.insert(path);
    return paths;
}

TEST(FileScanTest, ReturnsPlainFilesJoinedWithThePatternsFolder) {
    TempFolder folder;
    ASSERT_TRUE(WriteFileBytes(folder / "a.txt", ""));
    ASSERT_TRUE(WriteFileBytes(folder / "b.txt", ""));
    ASSERT_TRUE(WriteFileBytes(folder / "c.log", ""));
    ASSERT_TRUE(CreateDirectoryA((folder / "folder.txt").c_str(), nullptr));
    EXPECT_EQ(ScanAll(folder / "*.txt"), (std::set<std::string>{folder / "a.txt", folder / "b.txt"}));
    EXPECT_EQ(NextScannedFile(), nullptr);
    EXPECT_EQ(ScanAll(folder / "*.*").size(), 3u);
}

TEST(FileScanTest, NoMatchAndFoldersOnlyGiveNothing) {
    TempFolder folder;
    ASSERT_TRUE(CreateDirectoryA((folder / "only").c_str(), nullptr));
    EXPECT_EQ(BeginFileScan((folder / "*.none").c_str()), 1);
    EXPECT_EQ(NextScannedFile(), nullptr);
    EXPECT_EQ(BeginFileScan((folder / "*").c_str()), 0);  // ".", ".." and "only"
    EXPECT_EQ(NextScannedFile(), nullptr);
}

int gCounted;

int gPainted;

LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_APP)
        ++gCounted;
    if (message == WM_PAINT)
        ++gPainted;
    return DefWindowProcA(window, message, wParam, lParam);
}

// A window of CountingProc, with what it had waiting already dispatched.
HWND MakeCountingWindow(DWORD style, int size, HWND parent) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = CountingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "VarnokPumpTest";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowExA(0, "VarnokPumpTest", "", style, 0, 0, size, size, parent, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    PumpMessages();
    return window;
}

TEST(PumpMessagesTest, DispatchesWhatIsWaitingWithoutWaiting) {
    HWND window = MakeCountingWindow(0, 0, HWND_MESSAGE);
    ASSERT_NE(window, nullptr);
    gCounted = 0;
    for (int i = 0; i < 3; ++i)
        PostMessageA(window, WM_APP, 0, 0);
    EXPECT_EQ(PumpMessages(), 3);
    EXPECT_EQ(gCounted, 3);
    EXPECT_EQ(PumpMessages(), 0);
    DestroyWindow(window);
}

TEST(PumpMessagesTest, NoPaintAnswersPostedMessagesAndLeavesThePaintWaiting) {
    HWND window = MakeCountingWindow(WS_POPUP | WS_VISIBLE, 40, nullptr);
    ASSERT_NE(window, nullptr);
    gCounted = gPainted = 0;
    InvalidateRect(window, nullptr, TRUE);
    PostMessageA(window, WM_APP, 0, 0);
    PumpMessages(PumpScope::NoPaint);
    EXPECT_EQ(gCounted, 1);
    EXPECT_EQ(gPainted, 0);
    PumpMessages();
    EXPECT_EQ(gPainted, 1);
    DestroyWindow(window);
}

TEST(PumpMessagesDeathTest, QuitEndsTheProcessWithItsCode) {
    EXPECT_EXIT(
        {
            PostQuitMessage(7);
            PumpMessages();
        },
        ::testing::ExitedWithCode(7), "");
}

}  // namespace
