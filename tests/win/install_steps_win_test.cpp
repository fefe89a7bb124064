// The install's write probe and shell links, in process.
#include <gtest/gtest.h>

#include <windows.h>

#include <objbase.h>

#include <string>

#include "install/registration.h"
#include "install/shortcuts.h"
#include "tests/e2e/driver/system_checks.h"
#include "tests/e2e/e2e_paths.h"
#include "tests/win/temp_folder.h"

namespace {

TEST(ProbeFolderWritableTest, LeavesNoProbeFileAndFailsWhereNoFileCanBeMade) {
    TempFolder folder;
    const std::string probe = folder / "UserAccountCheck.id";
    ASSERT_TRUE(WriteFileBytes(probe, "left by an earlier run"));
    EXPECT_EQ(ProbeFolderWritable(folder.path().c_str()), 0);
    EXPECT_FALSE(PathExists(probe));
    EXPECT_EQ(ProbeFolderWritable((folder / "missing").c_str()), 1);
    EXPECT_FALSE(PathExists(folder / "missing"));
}

// What the batch start was given, and what stood on disk at that moment.
struct BatchStart {
    std::string commandLine, text, currentDirectory;
    DWORD creationFlags, startFlags;
    WORD show;
} gBatch;

TEST(GrantFolderAccessTest, ThreeLinesStartedHiddenAtIdlePriorityFromTheTempFolder) {
    SetBatchStarter([](char* commandLine, DWORD creationFlags, STARTUPINFOA* startup) {
        gBatch = {commandLine, ReadFileBytes(commandLine), CurrentDirectory() + "\\", creationFlags, startup->dwFlags,
                  startup->wShowWindow};
    });
    GrantFolderAccess("C:\\Program Files\\My Game");
    SetBatchStarter(nullptr);
    const std::string batch = TempPath() + "Pelladrover_fullaccess.bat";
    EXPECT_EQ(gBatch.commandLine, batch);
    EXPECT_EQ(gBatch.text, "echo y| cacls \"C:\\Program Files\\My Game\" /p everyone:F\r\ndel \"" + TempPath() +
                               "Pelladrover_fullaccess.pif\"\r\ndel \"" + batch + "\"\r\n");
    EXPECT_EQ(gBatch.creationFlags, DWORD{IDLE_PRIORITY_CLASS});
    EXPECT_EQ(gBatch.startFlags, DWORD{STARTF_USESHOWWINDOW});
    EXPECT_EQ(gBatch.show, SW_HIDE);
    EXPECT_EQ(gBatch.currentDirectory, TempPath());
    EXPECT_EQ(CurrentDirectory() + "\\", TempPath());
    DeleteFileA(batch.c_str());
    SetCurrentDirectoryA("C:\\");
}

TEST(CreateShortcutTest, WritesTargetDescriptionAndWorkingFolderAndOverwrites) {
    CoInitialize(nullptr);
    {
        TempFolder folder;
        const std::string link = folder / "Title.LNK";
        struct Case {
            std::string target, description;
        } cases[] = {{folder / "game.exe", "First"}, {folder / "sub\\other.exe", "Second"}};
        for (const Case& c : cases) {
            ASSERT_GE(CreateShortcut(c.target.c_str(), link.c_str(), c.description.c_str()), 0);
            Link read = ReadLink(link);
            ASSERT_TRUE(read.loaded);
            EXPECT_EQ(read.target, c.target);
            EXPECT_EQ(read.description, c.description);
            EXPECT_EQ(read.workFolder, c.target.substr(0, c.target.rfind('\\')));
        }
        // A link in a folder that does not exist is a failure, and nothing is made.
        EXPECT_LT(CreateShortcut(cases[0].target.c_str(), (folder / "missing\\Title.LNK").c_str(), "x"), 0);
        EXPECT_FALSE(PathExists(folder / "missing"));
    }
    CoUninitialize();
}

}  // namespace
