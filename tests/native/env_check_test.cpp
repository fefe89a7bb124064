#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/native/settings_test_util.h"
#include "tools/varnok-pack/env_report.h"

namespace {

struct Expected {
    const char* where;  // "install.env:LINE: kind" or "install.env: kind"
    const char* words;  // a piece of the message
};

class EnvCheck : public ::testing::Test {
protected:
    // The check's printed lines and its verdict.
    std::vector<std::string> Check(const std::string& bytes, const char* gameDir = nullptr) {
        dir.Write("install.env", bytes);
        FILE* out = std::tmpfile();
        verdict = CheckEnv(ParseEnvFile("install.env"), "install.env", gameDir, out);
        std::rewind(out);
        std::string text = ReadRest(out);
        std::fclose(out);
        std::vector<std::string> lines;
        for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            lines.push_back(text.substr(start, end - start));
        return lines;
    }
    void ExpectFindings(const std::vector<std::string>& lines, const std::vector<Expected>& expected) {
        ASSERT_EQ(lines.size(), expected.size()) << ::testing::PrintToString(lines);
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_EQ(lines[i].rfind(expected[i].where, 0), 0u) << lines[i];
            EXPECT_NE(lines[i].find(expected[i].words), std::string::npos) << lines[i];
        }
    }
    ScratchFolder dir;
    EnvVerdict verdict = kEnvClean;
};

TEST_F(EnvCheck, CleanFile) {
    EXPECT_TRUE(Check("/ comment\nTITLEBAR \x83\x54\x83\x93\x83\x76\x83\x8b\nINSTTO Game\n"
                      "[delfiles]\ngame.exe  program\n- end\n[reg]\n\"Name\"=\"a b\"\n- end of reg\n[EOF]\n"
                      "anything here\n")
                    .empty());
    EXPECT_EQ(verdict, kEnvClean);
}

TEST_F(EnvCheck, KeysNobodyReads) {
    ExpectFindings(Check("titlebar lower\nINSTO typo\nWelcome to the game\nINSTTO a\nINSTTO b\n"),
                   {{"install.env:1: warning", "case-sensitive: write TITLEBAR"},
                    {"install.env:2: warning", "did you mean INSTTO?"},
                    {"install.env:3: warning", "'Welcome' is not a setting"},
                    {"install.env:5: warning", "INSTTO repeats line 4"}});
    EXPECT_EQ(verdict, kEnvWarnings);
}

TEST_F(EnvCheck, ValuesLongerThanKept) {
    // 126 bytes and a double-byte character: only the 126 bytes survive.
    ExpectFindings(Check("TITLEBAR " + std::string(126, 'T') + "\x83\x41\nHELP_FILE " + std::string(259, 'h') +
                         "\nINSTTO " + std::string(128, 'i') + "\n"),
                   {{"install.env:1: warning", "TITLEBAR value is 128 bytes; the installer keeps only the first 126"},
                    {"install.env:3: warning", "INSTTO value is 128 bytes; the installer keeps only the first 127"}});
}

TEST_F(EnvCheck, TitleThatNamesNoLock) {
    ExpectFindings(Check("TITLEBAR A\\B\n"), {{"install.env:1: warning", "single-instance lock"}});
    // 表 ends in 0x5C: no backslash.
    EXPECT_TRUE(Check("TITLEBAR \x95\x5c\n").empty());
}

TEST_F(EnvCheck, SettingsPastTheLineLimit) {
    std::string filler;
    for (int i = 0; i < 399; ++i)
        filler += "/ filler\n";
    ExpectFindings(Check(filler + "INSTTO read\nINSTFOL late\n[ini]\nA=1 b\n-\n[EOF]\nEXENAME never\n"),
                   {{"install.env:401: warning", "'INSTFOL' is past the 400th line"}});
    // A long line counts as several: the reported line is the physical one.
    ExpectFindings(Check(std::string(1000, '/') + "\ntitlebar x\n"), {{"install.env:2: warning", "'titlebar'"}});
}

TEST_F(EnvCheck, Encoding) {
    ExpectFindings(Check("/ sample\nTITLEBAR \xe3\x82\xb5\xe3\x83\xb3\n"),
                   {{"install.env:2: warning", "iconv -f UTF-8 -t CP932"}});
    ExpectFindings(Check("\xEF\xBB\xBFTITLEBAR x\n"),
                   {{"install.env:1: warning", "byte-order mark"},
                    {"install.env:1: warning", "is not a setting"}});
}

TEST_F(EnvCheck, UnclosedSectionIsAnError) {
    ExpectFindings(Check("TITLEBAR x\n[ini]\nA=1\n-\n[reg]\n\"a\"=\"b\"\n"),
                   {{"install.env:5: error", "[reg] is never closed"}});
    EXPECT_EQ(verdict, kEnvErrors);
}

TEST_F(EnvCheck, UnreadableFileIsAnError) {
    FILE* out = std::tmpfile();
    EXPECT_EQ(CheckEnv(ParseEnvFile("missing.env"), "missing.env", nullptr, out), kEnvErrors);
    std::fclose(out);
}

TEST_F(EnvCheck, GameFolderFiles) {
    std::string env = "EXENAME bin\\Game.exe\nINSTREADME \x82\xa8\nHELP_FILE manual.htm\n";
    ExpectFindings(Check(env, "."), {{"install.env:1: warning", "EXENAME names 'bin\\Game.exe'"},
                                     {"install.env:3: warning", "HELP_FILE names 'manual.htm'"},
                                     {"install.env: warning", "INSTREADMEFL (by default) names 'readme.txt'"},
                                     {"install.env: warning", "no UnInst.exe"}});
    // Found without regard to case, as Windows finds them.
    for (const char* name : {"BIN/game.EXE", "Manual.htm", "README.TXT", "uninst.exe"})
        dir.Write(name, "x");
    EXPECT_TRUE(Check(env, ".").empty());
    ExpectFindings(Check("INSTREADMEFL \x83\x5c.txt\n", "."),
                   {{"install.env:1: warning", "INSTREADMEFL names '\xe3\x82\xbd.txt'"},
                    {"install.env: warning", "EXENAME (by default) names 'varnok.exe'"}});
}

TEST(EnvCommand, ExitCodes) {
    ScratchFolder dir;
    dir.Write("clean.env", "TITLEBAR x\n");
    dir.Write("warn.env", "titlebar x\n");
    dir.Write("open.env", "[reg]\n");
    const std::string pack = VARNOK_PACK_EXE;
    auto run = [&](const std::string& args) {
        int status = std::system((pack + " " + args + " >/dev/null 2>&1").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(run("env check clean.env"), 0);
    EXPECT_EQ(run("env check warn.env"), 1);
    EXPECT_EQ(run("env check open.env"), 2);
    EXPECT_EQ(run("env check missing.env"), 2);
    EXPECT_EQ(run("env dump clean.env"), 0);
    EXPECT_EQ(run("env dump open.env"), 1);
    EXPECT_EQ(run("env dump --game . clean.env"), 2);
    EXPECT_EQ(run("env frobnicate clean.env"), 2);
    EXPECT_EQ(run("env --help"), 0);
}

TEST(EnvCommand, PackRefusesSettingsTheInstallerWouldRefuse) {
    ScratchFolder dir;
    dir.Write("game/install.env", "TITLEBAR x\n[delfiles]\ngame.exe\n");
    dir.Write("game/insttscr.rct", "RCT");
    std::string command = std::string(VARNOK_PACK_EXE) + " pack -o out.arc game 2>err.txt";
    int status = std::system(command.c_str());
    EXPECT_EQ(WEXITSTATUS(status), 1);
    FILE* err = std::fopen("err.txt", "rb");
    ASSERT_NE(err, nullptr);
    std::string text = ReadRest(err);
    std::fclose(err);
    EXPECT_NE(text.find("install.env:2: error: [delfiles] is never closed"), std::string::npos) << text;
    EXPECT_FALSE(std::filesystem::exists("out.arc"));

    dir.Write("game/install.env", "TITLEBAR x\n[delfiles]\ngame.exe\n-\n");
    EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 0);
    EXPECT_TRUE(std::filesystem::exists("out.arc"));
}

TEST(EnvCommand, DemoIsClean) {
    const std::string demo = std::string(VARNOK_SOURCE_DIR) + "/demo";
    FILE* out = std::tmpfile();
    EXPECT_EQ(CheckGameSettings(demo, out), kEnvClean);
    std::rewind(out);
    EXPECT_EQ(ReadRest(out), "");
    std::fclose(out);
}

}  // namespace
