// The uninstaller's copy for its finisher: a new file under a free name,
// which nobody can replace, change or remove while it is held.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "tests/win/temp_folder.h"
#include "uninstall/self_removal.h"

namespace {

TEST(FinisherCopyTest, TakenNameIsPassedOverAndTheHeldCopyCannotBeSwapped) {
    TempFolder folder;
    const std::string self = folder / "UnInst.exe";
    ASSERT_TRUE(WriteFileBytes(self, "the program"));
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string taken = temp + ("UnInst_" + std::to_string(GetCurrentProcessId()) + "_0.exe");
    ASSERT_TRUE(WriteFileBytes(taken, "planted"));

    std::string copy;
    UniqueHandle held = MakeFinisherCopy(self, copy);
    ASSERT_TRUE(held);
    EXPECT_NE(copy, taken);
    EXPECT_EQ(ReadFileBytes(taken), "planted");
    HANDLE reader = CreateFileA(copy.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    char content[32] = {};
    DWORD got = 0;
    ReadFile(reader, content, sizeof content, &got, nullptr);
    CloseHandle(reader);
    EXPECT_EQ(std::string(content, got), "the program");
    for (DWORD access : {static_cast<DWORD>(DELETE), static_cast<DWORD>(GENERIC_WRITE)}) {
        HANDLE other = CreateFileA(copy.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                   nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(other, INVALID_HANDLE_VALUE) << access;
        if (other != INVALID_HANDLE_VALUE)
            CloseHandle(other);
    }
    EXPECT_FALSE(MoveFileA(copy.c_str(), (copy + ".moved").c_str()));
    held.reset();
    EXPECT_FALSE(PathExists(copy));
    DeleteFileA(taken.c_str());
}

}  // namespace
