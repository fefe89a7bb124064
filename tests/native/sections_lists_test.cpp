#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/section_lists.h"
#include "tests/native/settings_test_util.h"

namespace {

using Lines = std::vector<std::string>;

class Sections : public ::testing::Test {
protected:
    void SetUp() override { ClearAll(); }
    void TearDown() override { ClearAll(); }
    static void ClearAll() {
        for (int s = 1; s <= kSectionCount; ++s)
            ClearSectionList(SectionListOf(s));
    }
    static SectionPassResult Read(const std::string& bytes) {
        FILE* f = StreamOf(bytes);
        SectionPassResult r = ReadSectionLists(f, nullptr, nullptr);
        std::fclose(f);
        return r;
    }
    static Lines List(SectionLine* head) {
        Lines out;
        for (; head; head = head->next)
            out.push_back(head->text);
        return out;
    }
};

TEST_F(Sections, UsualLayout) {
    SectionPassResult r = Read("TITLEBAR x\n"
                               "[delfiles]\n"
                               "game.exe\n"
                               "data\\*.dat\n"
                               "- end of delfiles\n"
                               "[delfiles_user]\n"
                               "save\\*.sav\n"
                               "-\n"
                               "[ini]\n"
                               "ScreenMode=1   ; window\n"
                               "- end\n"
                               "[reg]\n"
                               "[HKEY_CURRENT_USER\\Software\\Maker\\Game]\r\n"
                               "\"Path\"=\"REP_INSTALL\"\t \r\n"
                               "-\n"
                               "[EOF]\n");
    EXPECT_EQ(r.openSection, kNoSection);
    EXPECT_EQ(List(DelFilesList), (Lines{"game.exe", "data\\*.dat"}));
    EXPECT_EQ(List(DelFilesUserList), (Lines{"save\\*.sav"}));
    EXPECT_EQ(List(IniList), (Lines{"ScreenMode=1   ; window"})) << "only trailing blanks go";
    EXPECT_EQ(List(RegList), (Lines{"[HKEY_CURRENT_USER\\Software\\Maker\\Game]", "\"Path\"=\"REP_INSTALL\""}));
}

TEST_F(Sections, WhatIsSkippedAndWhatIsKept) {
    Read("stray before any head\n"
         "[ini]\n"
         "   indented\n"
         "\n"
         " \t \n"
         "// comment\n"
         "; comment\n"
         "/single slash\n"
         "[EOF]\n"
         "-\n"
         "between sections\n"
         "[delfiles]\n"
         "-\n");
    EXPECT_EQ(List(IniList), (Lines{"   indented", "/single slash", "[EOF]"}));
    EXPECT_EQ(List(DelFilesList), Lines{}) << "a head followed by its end line gives an empty list";
    EXPECT_EQ(List(RegList), Lines{});
}

TEST_F(Sections, HeadsMatchAtTheStartWithAnythingBehind) {
    Read("[delfiles_user]\nu\n-\n[delfiles] trailing\nd\n-\n [reg]\n-[reg]\n");
    EXPECT_EQ(List(DelFilesUserList), (Lines{"u"})) << "[delfiles_user] is not [delfiles]";
    EXPECT_EQ(List(DelFilesList), (Lines{"d"}));
    EXPECT_EQ(List(RegList), Lines{});
}

TEST_F(Sections, RepeatedHeadClearsItsList) {
    Read("[ini]\nfirst\n-\n[reg]\nr\n-\n[ini]\nsecond\n-\n");
    EXPECT_EQ(List(IniList), (Lines{"second"}));
    EXPECT_EQ(List(RegList), (Lines{"r"}));
}

TEST_F(Sections, EndOfPass) {
    struct Case {
        const char* text;
        int open;
        int headLine;
        Lines reg;
    };
    const Case cases[] = {
        {"[reg]\na\n", kRegSection, 1, {"a"}},
        {"[reg]\na\nEOF\n-\n", kRegSection, 1, {"a"}},
        {"[reg]\na\n-\nEOF\n[ini]\n", kNoSection, 1, {"a"}},
        {"[EOF]\n[reg]\nafter the key pass's end\n-\n", kNoSection, 2, {"after the key pass's end"}},
        {"- closes nothing\n[ini]\nx\n[reg]\n", kRegSection, 4, {}},
        {"EOFX\n[reg]\n", kNoSection, 0, {}},
    };
    for (const Case& c : cases) {
        ClearAll();
        SectionPassResult r = Read(c.text);
        EXPECT_EQ(r.openSection, c.open) << c.text;
        if (c.open != kNoSection) {
            EXPECT_EQ(r.headLine, c.headLine) << c.text;
        }
        EXPECT_EQ(List(RegList), c.reg) << c.text;
    }
}

TEST_F(Sections, LongLinesArriveInPiecesAndObserverSeesEveryLine) {
    std::string longEntry(600, 'e');
    std::vector<std::pair<int, SectionLineKind>> seen;
    FILE* f = StreamOf("x\n[ini]\n" + longEntry + "\n;c\n-\n");
    ReadSectionLists(
        f,
        [](void* ctx, int line, SectionLineKind kind, int) {
            static_cast<decltype(seen)*>(ctx)->emplace_back(line, kind);
        },
        &seen);
    std::fclose(f);
    EXPECT_EQ(List(IniList), (Lines{longEntry.substr(0, 511), longEntry.substr(511)}));
    using K = SectionLineKind;
    EXPECT_EQ(seen, (std::vector<std::pair<int, K>>{
                        {1, K::Outside}, {2, K::Head}, {3, K::Entry}, {4, K::Entry}, {5, K::Skipped}, {6, K::Close}}));
}

using SectionsDeathTest = Sections;

TEST_F(SectionsDeathTest, FatalMessagesEndTheProcess) {
    ScratchFolder dir;
    // [%s]ファイルを開けませんでした。
    EXPECT_EXIT(LoadSectionLists("install.env"), ::testing::ExitedWithCode(255),
                "\\[install.env\\]\x83\x74\x83\x40\x83\x43\x83\x8b");
    dir.Write("install.env", "[delfiles]\na\n-\n[delfiles_user]\nb\n");
    // [設定.env]の[delfiles_user]が終了していません
    EXPECT_EXIT(LoadSectionLists("install.env"), ::testing::ExitedWithCode(255),
                "\\[\x90\xdd\x92\xe8.env\\]\x82\xcc\\[delfiles_user\\]");
    dir.Write("install.env", "[delfiles]\na\n-\n");
    LoadSectionLists("install.env");
    EXPECT_EQ(List(DelFilesList), (Lines{"a"}));
}

}  // namespace
