#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "config/setting_table.h"
#include "resfile/file_locator.h"
#include "tests/native/settings_test_util.h"

namespace {

using Pairs = std::vector<std::pair<std::string, std::string>>;

// " スタートアップ"
const std::string kStartupSuffix = " \x83\x58\x83\x5e\x81\x5b\x83\x67\x83\x41\x83\x62\x83\x76";

class Settings : public ::testing::Test {
protected:
    void SetUp() override { FreeSettingTable(); }
    void TearDown() override { FreeSettingTable(); }

    // A fresh table from the bytes.
    static SettingPassResult Load(const std::string& bytes) {
        FreeSettingTable();
        return Append(bytes);
    }
    static SettingPassResult Append(const std::string& bytes) {
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
};

std::string Repeat(int count, const std::string& line) {
    std::string s;
    for (int i = 0; i < count; ++i)
        s += line;
    return s;
}

TEST_F(Settings, LineRules) {
    struct Case {
        const char* rule;
        std::string file;
        Pairs table;
    };
    const Case cases[] = {
        {"words, '|' as a space, the rest a comment, keys kept as written",
         "TITLEBAR\t\tMy|Game\nINSTREADME\treadme\nEXENAME a.exe  comment\ntitlebar lower\n",
         {{"TITLEBAR", "My Game"}, {"INSTREADME", "readme"}, {"EXENAME", "a.exe"}, {"titlebar", "lower"}}},
        {"no value within reach gives no entry; a '//' comment is a value",
         "REG_LOCAL   \r\nREG_GLOBAL \t // comment\nEXENAME\n",
         {{"REG_GLOBAL", "//"}}},
        {"lines beginning with a blank or '/' are skipped; '-' lines are entries",
         "/ c\n//TITLEBAR x\n TITLEBAR y\n\tINSTTO z\n\n- end of [delfiles]\n[delfiles]\n",
         {{"-", "end"}}},
        {"1 to 99 blanks between key and value",
         "INSTTO" + std::string(99, ' ') + "ok\nINSTFOL" + std::string(100, '\t') + "far\n",
         {{"INSTTO", "ok"}}},
        {"[EOF] only at the very start of a line",
         " [EOF]\nINSTTO a\n[EOF] trailing\nINSTFOL b\n",
         {{"INSTTO", "a"}}},
        {"'|' as the second byte of a double-byte character stays; high bytes are never blank",
         "TITLEBAR \x83\x7C|\x83\x7C|\xa0\xff\n",
         {{"TITLEBAR", "\x83\x7C \x83\x7C \xa0\xff"}}},
        {"a line over 511 bytes is read in pieces",
         "/" + std::string(510, 'c') + "TITLEBAR Piece\n",
         {{"TITLEBAR", "Piece"}}},
        {"the value window ends with the 512-byte buffer",
         std::string(505, 'K') + "     V\n",
         {{std::string(505, 'K'), "V"}}},
        {"the 401st line is never read",
         Repeat(399, "/\n") + "INSTTO line400\nINSTFOL line401\n",
         {{"INSTTO", "line400"}}},
    };
    for (const Case& c : cases) {
        Load(c.file);
        EXPECT_EQ(Table(), c.table) << c.rule;
    }
}

TEST_F(Settings, PassEndsAndLineNumbers) {
    SettingPassResult r = Load("INSTTO a\n[EOF]\nINSTFOL b\n");
    EXPECT_EQ(r.end, SettingPassEnd::EofMark);
    EXPECT_EQ(r.lines, 1);
    r = Load(Repeat(400, "/\n") + "[EOF]\n");
    EXPECT_EQ(r.end, SettingPassEnd::LineLimit);
    EXPECT_EQ(r.lines, 400);
    r = Load("/" + std::string(600, 'c') + "\nINSTTO x");
    EXPECT_EQ(r.end, SettingPassEnd::EndOfFile);
    EXPECT_EQ(r.lines, 3);
    EXPECT_EQ(FirstSettingEntry()->line, 3);
}

TEST_F(Settings, AccessorsAndDefaults) {
    // ＶＡＲＮＯＫ アプリケーション
    const std::string defaultTitle = "\x82\x75\x82\x60\x82\x71\x82\x6d\x82\x6e\x82\x6a \x83\x41\x83\x76\x83\x8a\x83\x50"
                                     "\x81\x5b\x83\x56\x83\x87\x83\x93";
    EXPECT_EQ(GetWindowTitle(), defaultTitle + kStartupSuffix);
    EXPECT_STREQ(GetInstTo(), "VARNOK_APP");
    EXPECT_STREQ(GetExeName(), "varnok.exe");
    EXPECT_EQ(GetInstGroup(), nullptr);
    EXPECT_EQ(GetInstFol(), nullptr);
    for (auto get : {GetRegGlobal, GetRegLocal, GetIniFile, GetIniSection})
        EXPECT_STREQ(get(), "-");

    // The read-once ones keep their first answer; the every-call ones follow the table.
    Append("REG_GLOBAL Maker\nINSTTO Game\nINST_GROUP Group\nTITLEBAR T\nINSTTO Second\n");
    EXPECT_STREQ(GetRegGlobal(), "-");
    EXPECT_STREQ(GetInstTo(), "Game");
    EXPECT_STREQ(GetInstGroup(), "Group");
    EXPECT_EQ(GetWindowTitle(), "T" + kStartupSuffix);
    Load("REG_GLOBAL Maker\n");
    EXPECT_STREQ(GetRegGlobal(), "Maker") << "freeing the table forgets what was read";
}

TEST_F(Settings, InstMakeFolIsANumber) {
    const std::pair<const char*, int> cases[] = {{"INSTMAKEFOL 1\n", 1},     {"INSTMAKEFOL yes\n", 0},
                                                 {"INSTMAKEFOL 12ab\n", 12}, {"INSTMAKEFOL -1\n", -1},
                                                 {"INSTMAKEFOL 99999999999\n", 2147483647}, {"", 0}};
    for (auto& [text, expected] : cases) {
        Load(text);
        EXPECT_EQ(GetInstMakeFol(), expected) << text;
        EXPECT_EQ(GetInstMakeFol(), expected) << text << " (second call)";
    }
}

TEST_F(Settings, FindSettingTextCutsAtCharacterBoundaries) {
    Load("K abcdef\nJ ab\x82\xa0xy\nTITLEBAR " + std::string(200, 'T') + "\n");
    char out[8] = "kept";
    EXPECT_EQ(FindSettingText("absent", out, sizeof out, out), out);
    EXPECT_STREQ(out, "kept");
    FindSettingText("absent", out, 3, out);
    EXPECT_STREQ(out, "ke");
    FindSettingText("K", out, 4, "-");
    EXPECT_STREQ(out, "abc");
    FindSettingText("J", out, 4, "-");
    EXPECT_STREQ(out, "ab") << "never a lone lead byte at the end";
    FindSettingText("J", out, 5, "-");
    EXPECT_STREQ(out, "ab\x82\xa0");
    EXPECT_EQ(std::string(GetTitleBar()), std::string(kSettingValueSize - 1, 'T'));
}

TEST_F(Settings, LoadThroughTheLocator) {
    ScratchFolder dir;
    dir.Write("install.env", "TITLEBAR FromFile\r\n");
    SetDirectOpenAllowed(1);
    EXPECT_EQ(LoadSettingTable("install.env"), 0);
    EXPECT_STREQ(GetTitleBar(), "FromFile");
}

}  // namespace
