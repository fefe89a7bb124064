// The launcher's portable decisions: its button column, which click matches
// a slot, where the picture goes, where the DirectX set-up is found, and the
// quoted command line that starts it.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "shell/launch.h"
#include "shell/menu_layout.h"

namespace {

constexpr char kExit[] = "\x8f\x49\x97\xb9";                                                          // 終了
constexpr char kDirectX[] = "DirectX\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b";               // DirectXインストール
constexpr char kInstall[] = "\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b";                       // インストール
constexpr char kLabel[] = "\x82\xcd\x82\xb6\x82\xdf\x82\xc9";                                          // はじめに
// C:\ゲーム\表 (表 ends in 0x5C)
constexpr char kJapaneseFolder[] = "C:\\\x83\x51\x81\x5b\x83\x80\\\x95\x5c";

struct Slot {
    MenuAction action;
    std::string text;
    bool operator==(const Slot&) const = default;
};

std::vector<Slot> UsedSlots(const MenuColumn& column) {
    std::vector<Slot> used;
    for (const MenuSlot& slot : column.slots) {
        if (slot.text)
            used.push_back({slot.action, slot.text});
    }
    return used;
}

TEST(MenuColumn, FillsFromTheBottomAndLeavesTheRestUnused) {
    struct Case {
        bool directX;
        const char* label;
        std::vector<Slot> used;
    };
    const Case cases[] = {
        {false, "-", {{MenuAction::Exit, kExit}, {MenuAction::Install, kInstall}}},
        {false, "-readme", {{MenuAction::Exit, kExit}, {MenuAction::Install, kInstall}}},
        {true, "-", {{MenuAction::Exit, kExit}, {MenuAction::DirectX, kDirectX}, {MenuAction::Install, kInstall}}},
        {false, kLabel, {{MenuAction::Exit, kExit}, {MenuAction::Readme, kLabel}, {MenuAction::Install, kInstall}}},
        {true, "readme",
         {{MenuAction::Exit, kExit}, {MenuAction::DirectX, kDirectX}, {MenuAction::Readme, "readme"},
          {MenuAction::Install, kInstall}}},
    };
    for (const Case& c : cases) {
        MenuColumn column = LayoutMenuColumn(c.directX, c.label);
        EXPECT_EQ(UsedSlots(column), c.used) << c.directX << " " << c.label;
        // The used slots come first; every later one, slot 8 included, has no action.
        for (size_t s = c.used.size(); s < kMenuSlotCount; ++s) {
            EXPECT_EQ(column.slots[s].text, nullptr) << s;
            EXPECT_EQ(column.slots[s].action, MenuAction::None) << s;
        }
    }
}

TEST(MenuColumn, OnlyAClickOfOneOfTheNineButtonsMatchesASlot) {
    struct Case {
        uintptr_t wParam;
        int slot;
    };
    const Case cases[] = {
        {1000, 0},
        {1004, 4},
        {1008, 8},
        {999, -1},
        {1009, -1},
        {1, -1},                        // IDOK: Enter
        {2, -1},                        // IDCANCEL: Esc and the close box
        {(5u << 16) | 1000, -1},        // BN_DOUBLECLICKED
        {(1u << 16) | 1003, -1},        // an accelerator's high word
        {0, -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MenuSlotForCommand(c.wParam), c.slot) << std::hex << c.wParam;
}

TEST(MenuPicture, MarginsComeFromTheClientHeightRoundedTowardsZero) {
    struct Case {
        int32_t top, bottom, width, height;
        PicturePosition expected;
    };
    const Case cases[] = {
        {0, 268, 256, 256, {6, 6}},
        {10, 278, 256, 256, {6, 6}},
        {0, 268, 200, 100, {34, 84}},   // x from the height, not the width
        {0, 251, 256, 256, {-2, -2}},   // -5 / 2
        {0, 250, 256, 257, {-3, -3}},   // -6 / 2 and -7 / 2
    };
    for (const Case& c : cases) {
        PicturePosition p = MenuPicturePosition(c.top, c.bottom, c.width, c.height);
        EXPECT_EQ(p.x, c.expected.x) << c.bottom << " " << c.width;
        EXPECT_EQ(p.y, c.expected.y) << c.bottom << " " << c.height;
    }
}

std::set<std::string> gFolders;
bool InFolders(const char* path) { return gFolders.count(path) != 0; }

TEST(DirectXSetup, WorkFolderFirstThenTheProgramsFolder) {
    const std::string longFolder = "C:\\" + std::string(240, 'a');
    const std::string quotable = "C:\\" + std::string(234, 'a');
    struct Case {
        const char* name;
        std::string work, program;
        std::set<std::string> folders;
        std::string expected;  // empty: not found
    };
    const Case cases[] = {
        {"in the work folder", "C:\\T\\W", "D:\\setup.exe", {"C:\\T\\W\\DirectX", "D:\\DirectX"},
         "C:\\T\\W\\DirectX\\dxsetup.exe"},
        {"beside the program", "C:\\T\\W", "D:\\disc\\setup.exe", {"D:\\disc\\DirectX"}, "D:\\disc\\DirectX\\dxsetup.exe"},
        {"drive root", "C:\\T\\W", "D:\\setup.exe", {"D:\\DirectX"}, "D:\\DirectX\\dxsetup.exe"},
        {"neither", "C:\\T\\W", "D:\\disc\\setup.exe", {"D:\\DirectX", "C:\\T\\DirectX"}, ""},
        {"second byte 0x5C is no separator", "C:\\T\\W", std::string(kJapaneseFolder) + ".exe",
         {std::string(kJapaneseFolder) + "DirectX", "C:\\\x83\x51\x81\x5b\x83\x80\\DirectX"},
         "C:\\\x83\x51\x81\x5b\x83\x80\\DirectX\\dxsetup.exe"},
        {"program without a folder", "C:\\T\\W", "setup.exe", {"\\DirectX", "DirectX"}, ""},
        // "\\DirectX" fits, "\\DirectX\\dxsetup.exe" does not.
        {"set-up path too long", longFolder, "D:\\setup.exe", {longFolder + "\\DirectX", "D:\\DirectX"},
         "D:\\DirectX\\dxsetup.exe"},
        // A set-up path of 257 bytes is started quoted; one of 258 could not be.
        {"longest quotable", quotable, "D:\\setup.exe", {quotable + "\\DirectX"}, quotable + "\\DirectX\\dxsetup.exe"},
        {"one byte over", quotable + "a", "D:\\setup.exe", {quotable + "a\\DirectX"}, ""},
    };
    for (const Case& c : cases) {
        gFolders = c.folders;
        char setup[260] = "stale";
        EXPECT_EQ(FindDirectXSetup(c.work.c_str(), c.program.c_str(), InFolders, setup), !c.expected.empty()) << c.name;
        EXPECT_EQ(std::string(setup), c.expected) << c.name;
        char quoted[260];
        EXPECT_TRUE(c.expected.empty() || QuoteCommandLine(quoted, setup)) << c.name;
    }
}

TEST(QuotedCommandLine, QuotesWholePathsAndRefusesOnesThatDoNotFit) {
    for (size_t length : {size_t(0), size_t(20), size_t(257), size_t(258), size_t(400)}) {
        std::string path(length, 'p');
        char out[260] = "stale";
        bool fits = length + 3 <= sizeof out;
        EXPECT_EQ(QuoteCommandLine(out, path.c_str()), fits) << length;
        EXPECT_EQ(std::string(out), fits ? "\"" + path + "\"" : "") << length;
    }
}

}  // namespace
