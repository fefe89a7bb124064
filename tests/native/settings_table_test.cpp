#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "config/setting_table.h"
#include "resfile/file_locator.h"
#include "tests/native/settings_test_util.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

// ＶＡＲＮＯＫ アプリケーション
const std::string kDefaultTitle =
    "\x82\x75\x82\x60\x82\x71\x82\x6d\x82\x6e\x82\x6a \x83\x41\x83\x76\x83\x8a\x83\x50\x81\x5b\x83\x56\x83\x87\x83\x93";
// " スタートアップ"
const std::string kStartupSuffix = " \x83\x58\x83\x5e\x81\x5b\x83\x67\x83\x41\x83\x62\x83\x76";

class Settings : public ::testing::Test {
protected:
    void SetUp() override { FreeSettingTable(); }
    void TearDown() override { FreeSettingTable(); }

    static SettingPassResult Load(const std::string& bytes) {
        FILE* f = StreamOf(bytes);
        SettingPassResult r = LoadSettingTableFrom(f);
        std::fclose(f);
        return r;
    }
    static Pairs Table() {
        Pairs out;
        for (const SettingEntry* e = FirstSettingEntry(); e; e = e->next)
            out.emplace_back(e->key, e->value);
        return out;
    }
    static std::string Lines(int count, const std::string& line) {
        std::string s;
        for (int i = 0; i < count; ++i)
            s += line;
        return s;
    }
};

TEST_F(Settings, KeyAndValueWords) {
    Load("TITLEBAR\t\tMy|Game\n"
         "INSTREADME\treadme\n"
         "EXENAME game.exe  the rest is a comment\n"
         "titlebar lower\n"
         "INSTTO First\n"
         "INSTTO Second\n"
         "REG_GLOBAL \t // comment\n"
         "REG_LOCAL   \r\n"
         "- end of [delfiles]\n");
    EXPECT_EQ(Table(), (Pairs{{"TITLEBAR", "My Game"},
                              {"INSTREADME", "readme"},
                              {"EXENAME", "game.exe"},
                              {"titlebar", "lower"},
                              {"INSTTO", "First"},
                              {"INSTTO", "Second"},
                              {"REG_GLOBAL", "//"},
                              {"-", "end"}}));
    EXPECT_STREQ(GetTitleBar(), "My Game");
    EXPECT_STREQ(GetInstTo(), "First");
    EXPECT_STREQ(GetRegGlobal(), "//");
    EXPECT_STREQ(GetRegLocal(), "-") << "a key with only blanks after it gives no entry";
}

TEST_F(Settings, SkippedLines) {
    Load("/ comment\n"
         "//TITLEBAR x\n"
         " TITLEBAR indented\n"
         "\tINSTTO tabbed\n"
         "\n"
         "EXENAME\n"
         "INSTFOL ok\n");
    EXPECT_EQ(Table(), (Pairs{{"INSTFOL", "ok"}}));
}

TEST_F(Settings, BlankRunBetweenKeyAndValueIsAtMost99) {
    Load("INSTTO" + std::string(99, ' ') + "ninetynine\n" + "INSTFOL" + std::string(100, '\t') + "hundred\n");
    EXPECT_EQ(Table(), (Pairs{{"INSTTO", "ninetynine"}}));
}

TEST_F(Settings, EofMarkAndLineLimit) {
    SettingPassResult r = Load("INSTTO a\n[EOF] trailing text\nINSTFOL b\n");
    EXPECT_EQ(r.end, SettingPassEnd::EofMark);
    EXPECT_EQ(r.lines, 1);
    EXPECT_EQ(Table(), (Pairs{{"INSTTO", "a"}}));

    FreeSettingTable();
    Load(" [EOF]\n\t[EOF]\nINSTTO after\n");
    EXPECT_EQ(Table(), (Pairs{{"INSTTO", "after"}})) << "[EOF] counts only at the very start";

    FreeSettingTable();
    r = Load(Lines(399, "/ filler\n") + "INSTTO line400\nINSTFOL line401\n");
    EXPECT_EQ(r.end, SettingPassEnd::LineLimit);
    EXPECT_EQ(r.lines, 400);
    EXPECT_EQ(Table(), (Pairs{{"INSTTO", "line400"}}));
    EXPECT_EQ(FirstSettingEntry()->line, 400);

    FreeSettingTable();
    r = Load(Lines(400, "/ filler\n") + "[EOF]\n");
    EXPECT_EQ(r.end, SettingPassEnd::LineLimit) << "a 401st line is never read, [EOF] or not";
}

TEST_F(Settings, LongLinesArriveInPieces) {
    // 511 bytes fill the first piece; the rest of the line is a line of its own.
    std::string comment = "/" + std::string(510, 'c');
    SettingPassResult r = Load(comment + "TITLEBAR Piece\nINSTTO x\n");
    EXPECT_EQ(r.lines, 3);
    EXPECT_EQ(Table(), (Pairs{{"TITLEBAR", "Piece"}, {"INSTTO", "x"}}));
    EXPECT_EQ(FirstSettingEntry()->line, 2);

    // The value window ends with the buffer: a key of 505 bytes leaves room
    // for 5 blanks and a one-byte value.
    FreeSettingTable();
    Load(std::string(505, 'K') + "     V\n");
    EXPECT_EQ(Table(), (Pairs{{std::string(505, 'K'), "V"}}));
}

TEST_F(Settings, BarIsASpaceButNotInsideADoubleByteCharacter) {
    // ポ is 0x83 0x7C: its second byte is '|'.
    Load("TITLEBAR \x83\x7C|\x83\x7C|\n");
    EXPECT_EQ(std::string(GetTitleBar()), "\x83\x7C \x83\x7C ");
    // High bytes are never blank.
    FreeSettingTable();
    Load("TITLEBAR \x81\x40\xa0\xff\n");
    EXPECT_EQ(std::string(GetTitleBar()), "\x81\x40\xa0\xff");
}

TEST_F(Settings, Defaults) {
    EXPECT_EQ(GetTitleBar(), kDefaultTitle);
    EXPECT_EQ(GetWindowTitle(), kDefaultTitle + kStartupSuffix);
    EXPECT_STREQ(GetInstTo(), "VARNOK_APP");
    EXPECT_STREQ(GetExeName(), "varnok.exe");
    EXPECT_EQ(GetInstGroup(), nullptr);
    EXPECT_EQ(GetInstFol(), nullptr);
    for (auto get : {GetRegGlobal, GetRegLocal, GetIniFile, GetIniSection})
        EXPECT_STREQ(get(), "-");
    EXPECT_EQ(GetInstMakeFol(), 0);
}

TEST_F(Settings, ValuesGiven) {
    Load("TITLEBAR Title\nINST_GROUP Maker\nINSTFOL MakerFolder\nINI_FILE game.ini\nINI_SECTION Config\n"
         "REG_GLOBAL Maker\nREG_LOCAL Game\nEXENAME run.exe\n");
    EXPECT_EQ(GetWindowTitle(), "Title" + kStartupSuffix);
    EXPECT_STREQ(GetInstGroup(), "Maker");
    EXPECT_STREQ(GetInstFol(), "MakerFolder");
    EXPECT_STREQ(GetIniFile(), "game.ini");
    EXPECT_STREQ(GetIniSection(), "Config");
    EXPECT_STREQ(GetRegGlobal(), "Maker");
    EXPECT_STREQ(GetRegLocal(), "Game");
    EXPECT_STREQ(GetExeName(), "run.exe");
}

TEST_F(Settings, ReadOnceAccessorsKeepTheirFirstAnswer) {
    // Called before anything is loaded: the read-once ones keep the default,
    // the every-call ones follow the table.
    EXPECT_STREQ(GetRegGlobal(), "-");
    EXPECT_STREQ(GetIniFile(), "-");
    EXPECT_EQ(GetInstMakeFol(), 0);
    EXPECT_STREQ(GetInstTo(), "VARNOK_APP");
    Load("REG_GLOBAL Maker\nINI_FILE a.ini\nINSTMAKEFOL 1\nINSTTO Game\n");
    EXPECT_STREQ(GetRegGlobal(), "-");
    EXPECT_STREQ(GetIniFile(), "-");
    EXPECT_EQ(GetInstMakeFol(), 0);
    EXPECT_STREQ(GetInstTo(), "Game");
}

TEST_F(Settings, InstMakeFolIsANumber) {
    const std::pair<const char*, int> cases[] = {{"INSTMAKEFOL 1\n", 1}, {"INSTMAKEFOL yes\n", 0},
                                                 {"INSTMAKEFOL 12abc\n", 12}, {"INSTMAKEFOL -1\n", -1},
                                                 {"INSTMAKEFOL 99999999999\n", 2147483647}, {"", 0}};
    for (auto& [text, expected] : cases) {
        FreeSettingTable();
        Load(text);
        EXPECT_EQ(GetInstMakeFol(), expected) << text;
        EXPECT_EQ(GetInstMakeFol(), expected) << text << " (second call)";
    }
}

TEST_F(Settings, FindSettingTextCutsAndKeeps) {
    Load("K abcdef\nJ ab\x82\xa0xy\n");
    char out[8] = "kept";
    EXPECT_EQ(FindSettingText("absent", out, sizeof out, out), out);
    EXPECT_STREQ(out, "kept") << "default == out leaves out as it was";
    FindSettingText("absent", out, 3, out);
    EXPECT_STREQ(out, "ke");
    FindSettingText("K", out, 4, "-");
    EXPECT_STREQ(out, "abc");
    // Never a lone lead byte at the end.
    FindSettingText("J", out, 4, "-");
    EXPECT_STREQ(out, "ab");
    FindSettingText("J", out, 5, "-");
    EXPECT_STREQ(out, "ab\x82\xa0");
    EXPECT_EQ(FindSettingInt("absent", 42), 42);
}

TEST_F(Settings, LongTitleIsCutToItsBuffer) {
    std::string title(200, 'T');
    Load("TITLEBAR " + title + "\n");
    EXPECT_EQ(std::string(GetTitleBar()), title.substr(0, kSettingValueSize - 1));
    EXPECT_EQ(std::string(GetWindowTitle()), title.substr(0, kSettingValueSize - 1) + kStartupSuffix);
}

TEST_F(Settings, LoadThroughTheLocator) {
    ScratchFolder dir;
    dir.Write("install.env", "TITLEBAR FromFile\r\n");
    SetDirectOpenAllowed(1);
    EXPECT_EQ(LoadSettingTable("install.env"), 0);
    EXPECT_STREQ(GetTitleBar(), "FromFile");
}

}  // namespace
