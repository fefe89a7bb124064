// `varnok-pack env plan` on hand-made install.env files: the folder an
// install would use, the machine key, and the [ini] and [reg] writes.
#include <gtest/gtest.h>

#include <string>

#include "tests/native/settings_test_util.h"
#include "tools/varnok-pack/env/env_report.h"

namespace {

// The value of one top-level field (one field per line in the plan).
std::string Field(const std::string& json, const std::string& name) {
    std::string head = "\n  \"" + name + "\": ";
    size_t at = json.find(head);
    if (at == std::string::npos)
        return "<missing>";
    at += head.size();
    std::string value = json.substr(at, json.find('\n', at) - at);
    return !value.empty() && value.back() == ',' ? value.substr(0, value.size() - 1) : value;
}

std::string Plan(const std::string& env, const PlanOptions& options) {
    ScratchFolder dir;
    dir.Write("install.env", env);
    return Printed([&](FILE* out) { PrintEnvPlan(ParseEnvFile("install.env"), options, out); });
}

PlanOptions Options(std::function<void(PlanOptions&)> change) {
    PlanOptions options;
    change(options);
    return options;
}

const std::string kGame = "INSTTO Title\nINSTFOL Maker\n";

TEST(EnvPlan, InstallFolder) {
    struct Case {
        const char* name;
        std::string env;
        PlanOptions options;
        const char* defaultFolder;
        const char* installFolder;
        const char* refused;  // the reason, or null
    };
    const Case cases[] = {
        {"defaults", "", {}, R"("C:\\Program Files\\VARNOK_APP")", R"("C:\\Program Files\\VARNOK_APP")", nullptr},
        {"Windows elsewhere", kGame, Options([](PlanOptions& o) { o.windowsDir = "D:\\WINNT"; }),
         R"("D:\\Program Files\\Maker\\Title")", R"("D:\\Program Files\\Maker\\Title")", nullptr},
        {"typed, make-folder rule", kGame + "INSTMAKEFOL 1\n", Options([](PlanOptions& o) { o.typed = "D:/Games\\"; }),
         R"("C:\\Program Files\\Maker\\Title")", R"("D:\\Games\\Maker\\Title")", nullptr},
        {"browsed into the maker's folder", kGame,
         Options([](PlanOptions& o) { o.browsed = "C:\\Program Files\\Maker"; }),
         R"("C:\\Program Files\\Maker\\Title")", R"("C:\\Program Files\\Maker\\Title")", nullptr},
        {"root", kGame, Options([](PlanOptions& o) { o.typed = "C:"; }), R"("C:\\Program Files\\Maker\\Title")",
         "null", "root"},
        {"network", kGame, Options([](PlanOptions& o) { o.typed = "\\\\server\\share"; }),
         R"("C:\\Program Files\\Maker\\Title")", "null", "network"},
        {"picked folder too deep", kGame, Options([](PlanOptions& o) { o.browsed = "C:\\" + std::string(250, 'p'); }),
         R"("C:\\Program Files\\Maker\\Title")", "null", "too_long"},
        {"proposal too long", "INSTTO " + std::string(127, 't') + "\nINSTFOL " + std::string(127, 'm') + "\n", {},
         "null", "null", "too_long"},
    };
    for (const Case& c : cases) {
        std::string json = Plan(c.env, c.options);
        EXPECT_EQ(Field(json, "default_folder"), c.defaultFolder) << c.name;
        EXPECT_EQ(Field(json, "install_folder"), c.installFolder) << c.name;
        std::string refused = Field(json, "refused");
        if (c.refused)
            EXPECT_EQ(refused.rfind(std::string("{\"reason\": \"") + c.refused + "\", \"message\": \"", 0), 0u)
                << c.name << ": " << refused;
        else
            EXPECT_EQ(refused, "null") << c.name;
    }
}

TEST(EnvPlan, TransfersWithTheFolderAndTheDrive) {
    const std::string env = kGame +
                            "REG_GLOBAL Maker\nREG_LOCAL Game\nINI_FILE game.ini\nINI_SECTION Paths\n"
                            "[ini]\n"
                            "Save=REP_INSTALL\\save\n"    // line 8
                            "typo\n"                      // 9
                            "Cd=REP_CDROMDRIVE\n"         // 10
                            "Long=REP_INSTALL" + std::string(494, 'v') + "\n"  // 11: fits a folder of 12 bytes at most
                            "-\n"
                            "[reg]\n"
                            "REGEDIT4\n"                  // 14
                            "\"Path\"=\"REP_INSTALL\\\\data\"\n"
                            "\"Count\"=dword:00000001\n"  // 16
                            "\"Cd\"=\"REP_CDROM\"\n"
                            "-\n";
    struct Case {
        PlanOptions options;
        const char* ini;
        const char* reg;
    };
    const Case cases[] = {
        {Options([](PlanOptions& o) { o.typed = "D:\\Games\\Long"; }),
         R"({"file": "game.ini", "section": "Paths", "pairs": [["Save", "D:\\Games\\Long\\save"], ["Cd", "Q:\\"]], "skipped": [9, 11]})",
         R"({"key": "Software\\Maker\\Game", "values": [["Path", "D:\\Games\\Long\\data"], ["Cd", "Q:\\"]], "skipped": [14, 16]})"},
        {Options([](PlanOptions& o) { o.typed = "D:\\Games\\Long"; o.cdrom.reset(); }),
         R"({"file": "game.ini", "section": "Paths", "pairs": [["Save", "D:\\Games\\Long\\save"], ["Cd", "E:\\"]], "skipped": [9, 11]})",
         R"({"key": "Software\\Maker\\Game", "values": [["Path", "D:\\Games\\Long\\data"], ["Cd", "E:\\"]], "skipped": [14, 16]})"},
        {Options([](PlanOptions& o) { o.typed = "C:\\"; }), "null", "null"},
    };
    for (const Case& c : cases) {
        std::string json = Plan(env, c.options);
        EXPECT_EQ(Field(json, "hklm_probe_key"), R"("Software\\Maker\\Game")");
        EXPECT_EQ(Field(json, "ini"), c.ini);
        EXPECT_EQ(Field(json, "reg"), c.reg);
    }
}

TEST(EnvPlan, UnusedTransfersAndHexTexts) {
    // INSTTO ゲーム; the lines are there but "-" turns both transfers off.
    std::string json = Plan("INSTTO \x83\x51\x81\x5b\x83\x80\n[ini]\nA=1\n-\n[reg]\n\"a\"=\"b\"\n-\n",
                            Options([](PlanOptions& o) { o.hex = true; }));
    EXPECT_EQ(Field(json, "hklm_probe_key"), "\"536f6674776172655c2d5c2d\"");  // Software\-\-
    EXPECT_EQ(Field(json, "install_folder"), "\"433a5c50726f6772616d2046696c65735c8351815b8380\"");
    EXPECT_EQ(Field(json, "ini"), "null");
    EXPECT_EQ(Field(json, "reg"), "null");
}

// The links, uninstall entry and batch follow the chosen folder; the
// special folders depend on the Windows version.
TEST(EnvPlan, LinksRegistrationAndBatch) {
    const std::string env = "TITLEBAR Game\nINSTTO Title\nINST_GROUP Maker\nINSTREADME -\n";
    struct Case {
        bool xp;
        const char* programs;
        const char* desktop;
    };
    for (Case c : {Case{false, "common_programs", "common_desktop"}, Case{true, "programs", "desktop"}}) {
        std::string json = Plan(env, Options([&](PlanOptions& o) { o.typed = "D:\\My Games"; o.xp = c.xp; }));
        const std::string link = R"(", "target": "D:\\My Games\\)";
        const std::string rest = R"(", "description": "Title", "working_folder": "D:\\My Games"})";
        EXPECT_EQ(Field(json, "links"),
                  std::string("[{\"folder\": \"") + c.programs + R"(", "path": "Maker\\Game\\Game.LNK)" + link +
                      "varnok.exe" + rest + ", {\"folder\": \"" + c.programs +
                      R"(", "path": "Maker\\Game\\Game )" +
                      "\xe3\x82\xa2\xe3\x83\xb3\xe3\x82\xa4\xe3\x83\xb3\xe3\x82\xb9\xe3\x83\x88\xe3\x83\xbc\xe3\x83\xab.LNK" +  // アンインストール +
                      link + "UnInst.exe" + rest + ", {\"folder\": \"" + c.desktop + R"(", "path": "Game.LNK)" + link +
                      "varnok.exe" + rest + "]")
            << "xp " << c.xp;
        EXPECT_EQ(Field(json, "uninstall"),
                  R"({"key": "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\RuRidGame", "DisplayName": "Game", )"
                  R"("UninstallString": "\"D:\\My Games\\UnInst.exe\""})");
        EXPECT_EQ(Field(json, "access_batch"),
                  R"(["echo y| cacls \"D:\\My Games\" /p everyone:F", "del \"%TEMP%\\Pelladrover_fullaccess.pif\"", )"
                  R"("del \"%TEMP%\\Pelladrover_fullaccess.bat\""])");
    }
}

// Without INSTREADME the readme link takes the default label.
TEST(EnvPlan, ReadmeLinkWithoutALabel) {
    std::string json =
        Plan("TITLEBAR Game\nINSTREADMEFL read.txt\n", Options([](PlanOptions& o) { o.typed = "D:\\G"; }));
    // お読みください
    const std::string label = "\xe3\x81\x8a\xe8\xaa\xad\xe3\x81\xbf\xe3\x81\x8f\xe3\x81\xa0\xe3\x81\x95\xe3\x81\x84";
    EXPECT_NE(Field(json, "links").find(R"("path": "Game\\Game )" + label + R"(.LNK", "target": "D:\\G\\read.txt")"),
              std::string::npos)
        << Field(json, "links");
}

}  // namespace
