#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/native/settings_test_util.h"
#include "tools/varnok-pack/env/env_report.h"

namespace {

struct CheckCase {
    const char* name;
    std::string env;
    std::vector<std::string> findings;  // each printed line starts with one of these, in order
    EnvVerdict verdict;
};

// The demo's launcher picture, which a game folder must hold.
std::string DemoPicture() {
    FILE* f = std::fopen(VARNOK_SOURCE_DIR "/demo/game/insttscr.rct", "rb");
    std::string bytes = ReadRest(f);
    std::fclose(f);
    return bytes;
}

std::string Filler(int lines) {
    std::string s;
    for (int i = 0; i < lines; ++i)
        s += "/ filler\n";
    return s;
}

TEST(EnvCheck, Findings) {
    const CheckCase cases[] = {
        {"clean, sections and text after [EOF] included",
         "/ c\nTITLEBAR \x83\x54\x83\x93\nINSTTO Game\n[reg]\n\"Name\"=\"a b\"\n- end\n[EOF]\nanything here\n",
         {},
         kEnvClean},
        {"keys nobody reads and a repeated key",
         "titlebar lower\nWelcome to the game\nINSTTO a\nINSTTO b\n",
         {"install.env:1: warning: 'titlebar' is not a setting the installer reads (keys are case-sensitive: write "
          "TITLEBAR)",
          "install.env:2: warning: 'Welcome' is not a setting", "install.env:4: warning: INSTTO repeats line 3"},
         kEnvWarnings},
        {"values longer than kept, cut before a double-byte character",
         "TITLEBAR " + std::string(126, 'T') + "\x83\x41\nHELP_FILE " + std::string(259, 'h') + "\n",
         {"install.env:1: warning: the TITLEBAR value is 128 bytes; the installer keeps only the first 126"},
         kEnvWarnings},
        {"a title no lock can be named with; a 0x5C second byte is no backslash",
         "TITLEBAR A\\B\nINSTTO \x95\x5c\n",
         {"install.env:1: warning: the TITLEBAR value holds '\\'"},
         kEnvWarnings},
        {"settings past line 400, section lines and lines after [EOF] aside",
         Filler(399) + "INSTTO read\nINSTFOL late\n[ini]\nA=1 b\n-\n[EOF]\nEXENAME never\n",
         {"install.env:401: warning: 'INSTFOL' is past the 400th line"},
         kEnvWarnings},
        {"a long line counts as several pieces but is reported by its physical line",
         std::string(1000, '/') + "\ntitlebar x\n",
         {"install.env:2: warning: 'titlebar'"},
         kEnvWarnings},
        {"UTF-8, with a mark or without", "\xEF\xBB\xBF/ c\nTITLEBAR \xe3\x82\xb5\n",
         {"install.env:1: warning: '", "install.env:2: error: the file is UTF-8"}, kEnvErrors},
        {"UTF-8 byte-order mark, the hint naming the file",
         "\xEF\xBB\xBFTITLEBAR x\n",
         {"install.env:1: warning: the file starts with a UTF-8 byte-order mark, which becomes part of the first "
          "key; convert it: tail -c +4 'install.env' | iconv -f UTF-8 -t CP932 > 'install.env.sjis' && mv "
          "'install.env.sjis' 'install.env'",
          "install.env:1: warning: '"},
         kEnvWarnings},
        {"words after a value, but not a comment",
         "TITLEBAR \x89\xc4 \x8a\xae\x91\x53\x94\xc5\nINSTTO Game\t// comment\nREG_GLOBAL - /x\n",
         {"install.env:1: warning: TITLEBAR keeps only '\xe5\xa4\x8f': the value ends at the first space or tab, so "
          "'\xe5\xae\x8c\xe5\x85\xa8\xe7\x89\x88' is dropped; write '|'"},
         kEnvWarnings},
        {"transfer lines the installer skips or a long folder would push past 511 bytes",
         "[ini]\ntypo\nOk=REP_INSTALL\nLong=REP_INSTALL" + std::string(300, 'v') + "\n-\n[reg]\nREGEDIT4\n"
         "[HKEY_CURRENT_USER\\Software\\A]\n@=\"x\"\n\"n\"=dword:1\n\"p\"=\"REP_INSTALL\"\n-\n",
         {"install.env:2: warning: [ini] line 'typo' has no '='",
          "install.env:4: warning: with an install folder longer than 206 bytes",
          "install.env:10: warning: [reg] line '\"n\"=dword:1' is no \"name\"=\"data\" string value"},
         kEnvWarnings},
        {"unclosed section",
         "[ini]\nA=1\n-\n[reg]\n\"a\"=\"b\"\n",
         {"install.env:4: error: [reg] is never closed"},
         kEnvErrors},
    };
    ScratchFolder dir;
    for (const CheckCase& c : cases) {
        dir.Write("install.env", c.env);
        EnvVerdict verdict = kEnvClean;
        std::string text =
            Printed([&](FILE* out) { verdict = CheckEnv(ParseEnvFile("install.env"), "install.env", nullptr, out); });
        EXPECT_EQ(verdict, c.verdict) << c.name;
        size_t at = 0;
        for (const std::string& f : c.findings) {
            EXPECT_EQ(text.compare(at, f.size(), f), 0) << c.name << ":\n" << text;
            at = text.find('\n', at) + 1;
        }
        EXPECT_EQ(at, text.size()) << c.name << ":\n" << text;
    }
}

TEST(EnvCheck, GameFolderFilesFoundWithoutRegardToCase) {
    ScratchFolder dir;
    dir.Write("insttscr.rct", DemoPicture());
    dir.Write("install.env",
              "EXENAME bin\\Game.exe\nINSTREADME \x82\xa8\nHELP_FILE \x83\x5c.htm\n[delfiles]\n*\nbin\\*\n-\n");
    auto check = [](std::string& text) {
        text = Printed([](FILE* out) { CheckEnv(ParseEnvFile("install.env"), "install.env", ".", out); });
    };
    std::string text;
    check(text);
    EXPECT_EQ(text, "install.env:1: warning: EXENAME names 'bin\\Game.exe', which . lacks\n"
                    "install.env:3: warning: HELP_FILE names '\xe3\x82\xbd.htm', which . lacks\n"
                    "install.env:6: warning: [delfiles] entry 'bin\\*' matches no file of .\n"
                    "install.env: warning: INSTREADMEFL (by default) names 'readme.txt', which . lacks\n"
                    "install.env: note: . has no UnInst.exe; pack adds ours (beside --stub, or --uninstaller FILE) "
                    "or ships none with --no-uninstaller\n");
    for (const char* name : {"BIN/game.EXE", "\xe3\x82\xbd.HTM", "README.TXT", "uninst.exe"})
        dir.Write(name, "x");
    check(text);
    EXPECT_EQ(text, "");
}

// What an uninstall would make of the game folder: refused entries in
// either section, [delfiles] entries matching nothing ([delfiles_user] ones
// name saves, which come later), files left behind, counted past twenty.
TEST(EnvCheck, DelFilesAgainstTheGameFolder) {
    const struct {
        const char* name;
        std::string sections;
        std::vector<std::string> files;
        std::vector<std::string> findings;  // each printed line starts with one of these, in order
    } cases[] = {
        {"everything covered, UnInst.exe by pack",
         "[delfiles]\ninstall.env\ninsttscr.rct\ngame.exe\nUnInst.exe\ndata\\*.dat\n-\n[delfiles_user]\nsave\\*.sav\n-\n",
         {"game.exe", "data/a.dat", "data/b.DAT"},
         {"install.env: note: . has no UnInst.exe"}},
        {"refused entries, with their lines",
         "[delfiles]\n*\n..\\outside.txt\nC:\\x.txt\n-\n[delfiles_user]\n\\save\\*.sav\nsav?\\x\n-\n",
         {"game.exe", "UnInst.exe"},
         {"install.env:4: warning: [delfiles] entry '..\\outside.txt' is refused (a level of dots",
          "install.env:5: warning: [delfiles] entry 'C:\\x.txt' is refused (a ':'",
          "install.env:8: warning: [delfiles_user] entry '\\save\\*.sav' is refused (a leading backslash",
          "install.env:9: warning: [delfiles_user] entry 'sav?\\x' is refused ('*' and '?'"}},
        {"left behind: a subfolder no entry reaches, a Japanese name",
         "[delfiles]\n*\nmissing.dll\n-\n",
         {"game.exe", "UnInst.exe", "data/\xe6\x9b\xb2.mml"},
         {"install.env:4: warning: [delfiles] entry 'missing.dll' matches no file",
          "install.env: warning: 'data\\\xe6\x9b\xb2.mml' is in no [delfiles] entry"}},
    };
    for (const auto& c : cases) {
        ScratchFolder dir;
        dir.Write("insttscr.rct", DemoPicture());
        dir.Write("install.env", "EXENAME game.exe\n" + c.sections);
        for (const std::string& f : c.files)
            dir.Write(f, "x");
        std::string text = Printed([](FILE* out) { CheckEnv(ParseEnvFile("install.env"), "install.env", ".", out); });
        size_t at = 0;
        for (const std::string& f : c.findings) {
            EXPECT_EQ(text.compare(at, f.size(), f), 0) << c.name << ":\n" << text;
            at = text.find('\n', at) + 1;
        }
        EXPECT_EQ(at, text.size()) << c.name << ":\n" << text;
    }
    ScratchFolder dir;
    dir.Write("install.env", "[delfiles]\ninstall.env\ninsttscr.rct\nvarnok.exe\n-\n");
    dir.Write("insttscr.rct", DemoPicture());
    dir.Write("varnok.exe", "x");
    for (int i = 0; i < 25; ++i)
        dir.Write("f" + std::to_string(100 + i), "x");
    std::string text = Printed([](FILE* out) { CheckEnv(ParseEnvFile("install.env"), "install.env", ".", out); });
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 21 + 1) << text;  // 20 names, the count, the note
    EXPECT_NE(text.find("warning: 'f119' is in no"), std::string::npos) << text;
    EXPECT_EQ(text.find("'f120'"), std::string::npos) << text;
    EXPECT_NE(text.find("5 more files are in no [delfiles] entry"), std::string::npos) << text;
}

// The printed section, pasted into install.env, covers the whole folder.
TEST(EnvCommand, DelFilesListsEveryFileForPasting) {
    ScratchFolder dir;
    dir.Write("game/install.env", "EXENAME varnok.exe\n");
    dir.Write("game/insttscr.rct", DemoPicture());
    for (const char* name : {"game/varnok.exe", "game/data/\xe6\x9b\xb2.mml", "game/data/sub/a.dat", "game/B.txt"})
        dir.Write(name, "x");
    std::string command = std::string(VARNOK_PACK_EXE) + " env delfiles game > section.txt";
    ASSERT_EQ(std::system(command.c_str()), 0);
    FILE* printed = std::fopen("section.txt", "rb");
    std::string section = ReadRest(printed);
    std::fclose(printed);
    EXPECT_EQ(section, "[delfiles]\r\nB.txt\r\ninstall.env\r\ninsttscr.rct\r\nvarnok.exe\r\ndata\\\x8b\xc8.mml\r\n"
                       "data\\sub\\a.dat\r\n-\r\n");
    dir.Write("game/install.env", "EXENAME varnok.exe\r\n" + section);
    std::string text = Printed([](FILE* out) { CheckEnv(ParseEnvFile("game/install.env"), "install.env", "game", out); });
    EXPECT_EQ(text.find("warning"), std::string::npos) << text;
    EXPECT_NE(std::system((std::string(VARNOK_PACK_EXE) + " env delfiles missing 2>/dev/null").c_str()), 0);
    // A name with no Shift-JIS form is named, not dropped in silence.
    dir.Write("game/\xc2\xa5.txt", "x");
    EXPECT_EQ(WEXITSTATUS(std::system((command + " 2>/dev/null").c_str())), 1);
}

int RunPackTool(const std::string& args) {
    int status = std::system((std::string(VARNOK_PACK_EXE) + " " + args + " >/dev/null 2>err.txt").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(EnvCommand, ExitCodes) {
    ScratchFolder dir;
    dir.Write("clean.env", "TITLEBAR x\n");
    dir.Write("warn.env", "titlebar x\n");
    dir.Write("open.env", "[reg]\n");
    const std::pair<const char*, int> cases[] = {
        {"env check clean.env", 0}, {"env check warn.env", 1},   {"env check open.env", 2},
        {"env check none.env", 2},  {"env dump clean.env", 0},   {"env dump open.env", 1},
        {"env dump none.env", 1},   {"env dump --game . clean.env", 2}, {"env frobnicate clean.env", 2},
        {"env plan clean.env --typed 'D:\\G' --cdrom 'D:\\' --xp", 0}, {"env plan open.env", 1},
        {"env plan none.env", 1},   {"env plan --typed a --browsed b clean.env", 2},
        {"env plan --cdrom Q: --no-cdrom clean.env", 2}, {"env plan --game . clean.env", 2},
        {"env check --typed a clean.env", 2}, {"env check --game .", 2},  // ./install.env: none
    };
    for (auto& [args, code] : cases)
        EXPECT_EQ(RunPackTool(args), code) << args;
}

TEST(EnvCommand, PackRefusesSettingsTheInstallerWouldRefuse) {
    ScratchFolder dir;
    dir.Write("game/install.env", "TITLEBAR x\n[delfiles]\ngame.exe\n");
    dir.Write("game/insttscr.rct", DemoPicture());
    EXPECT_EQ(RunPackTool("pack --no-uninstaller -o out.arc game"), 1);
    FILE* err = std::fopen("err.txt", "rb");
    std::string text = ReadRest(err);
    std::fclose(err);
    EXPECT_NE(text.find("install.env:2: error: [delfiles] is never closed"), std::string::npos) << text;
    EXPECT_FALSE(std::filesystem::exists("out.arc"));

    dir.Write("game/install.env", "TITLEBAR x\n[delfiles]\ngame.exe\n-\n");
    EXPECT_EQ(RunPackTool("pack --no-uninstaller -o out.arc game"), 0);
    EXPECT_TRUE(std::filesystem::exists("out.arc"));
}

std::string CheckDemo(bool withGame) {
    const std::string demo = std::string(VARNOK_SOURCE_DIR) + "/demo/game";
    return Printed([&](FILE* out) {
        CheckEnv(ParseEnvFile(demo + "/install.env"), "install.env", withGame ? demo.c_str() : nullptr, out);
    });
}

TEST(EnvCommand, DemoSettingsAreClean) { EXPECT_EQ(CheckDemo(false), ""); }

// The game program is built from demo/programs and the uninstaller added
// by pack: they are all the folder lacks, and every other file is covered.
TEST(EnvCommand, DemoGameLacksOnlyItsBuiltPrograms) {
    std::string report = CheckDemo(true);
    const char* lines[] = {"warning: EXENAME names 'varnok.exe'", "warning: [delfiles] entry 'varnok.exe' matches no",
                           "note: "};
    size_t at = 0;
    for (const char* line : lines) {
        at = report.find(line, at);
        ASSERT_NE(at, std::string::npos) << line << "\n" << report;
    }
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 3) << report;
}

}  // namespace
