// The uninstaller's copy for its finisher: a new file under a free name
// that nobody can change or remove while it is held.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/e2e/e2e_paths.h"
#include "tests/win/temp_folder.h"
#include "uninstall/self_removal.h"

namespace {

TEST(FinisherCopyTest, TakenNameIsPassedOverAndTheHeldCopyCannotBeSwapped) {
    TempFolder folder;
    ASSERT_TRUE(WriteFileBytes(folder / "UnInst.exe", "the program"));
    const std::string taken = TempPath() + "UnInst_" + std::to_string(GetCurrentProcessId()) + "_0.exe";
    ASSERT_TRUE(WriteFileBytes(taken, "planted"));
    std::string copy;
    UniqueHandle held = MakeFinisherCopy(folder / "UnInst.exe", copy);
    ASSERT_TRUE(held);
    EXPECT_EQ(ReadFileBytes(taken), "planted");
    for (DWORD access : {DWORD{DELETE}, DWORD{GENERIC_WRITE}}) {
        HANDLE other = CreateFileA(copy.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(other, INVALID_HANDLE_VALUE) << access;
        if (other != INVALID_HANDLE_VALUE)
            CloseHandle(other);
    }
    char content[16] = {};
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(held.get(), content, sizeof content, &got, nullptr));
    EXPECT_EQ(std::string(content, got), "the program");
    held.reset();
    EXPECT_FALSE(PathExists(copy));
    DeleteFileA(taken.c_str());
}

}  // namespace
