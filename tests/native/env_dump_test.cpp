#include <gtest/gtest.h>

#include <string>

#include "tests/native/settings_test_util.h"
#include "tools/varnok-pack/env/env_report.h"

namespace {

std::string Dump(const std::string& path, bool hex) {
    return Printed([&](FILE* out) { PrintEnvJson(ParseEnvFile(path), hex, out); });
}

TEST(EnvDump, BothPassesAsTheInstallerSeesThem) {
    ScratchFolder dir;
    // サンプル|"Game" with a tab, a section with quotes and a backslash.
    dir.Write("install.env", "TITLEBAR\t\x83\x54\x83\x93\x83\x76\x83\x8b|\"Game\"\r\n"
                             "INST_GROUP Maker\r\nINSTMAKEFOL 1\r\n"
                             "[reg]\r\n[HKEY_CURRENT_USER\\Software\\A]\r\n- end\r\n[EOF]\r\n[ini]\r\nA=1\r\n-\r\n");
    EXPECT_EQ(Dump("install.env", false),
              "{\n"
              "  \"settings\": [\n"
              "    [\"TITLEBAR\", \"\xe3\x82\xb5\xe3\x83\xb3\xe3\x83\x97\xe3\x83\xab \\\"Game\\\"\"],\n"
              "    [\"INST_GROUP\", \"Maker\"],\n"
              "    [\"INSTMAKEFOL\", \"1\"],\n"
              "    [\"-\", \"end\"]\n"
              "  ],\n"
              "  \"accessors\": {\n"
              "    \"REG_GLOBAL\": \"-\",\n"
              "    \"REG_LOCAL\": \"-\",\n"
              "    \"INI_FILE\": \"-\",\n"
              "    \"INI_SECTION\": \"-\",\n"
              "    \"TITLEBAR\": \"\xe3\x82\xb5\xe3\x83\xb3\xe3\x83\x97\xe3\x83\xab \\\"Game\\\"\",\n"
              "    \"WINDOW_TITLE\": \"\xe3\x82\xb5\xe3\x83\xb3\xe3\x83\x97\xe3\x83\xab \\\"Game\\\" "
              "\xe3\x82\xb9\xe3\x82\xbf\xe3\x83\xbc\xe3\x83\x88\xe3\x82\xa2\xe3\x83\x83\xe3\x83\x97\",\n"
              "    \"INST_GROUP\": \"Maker\",\n"
              "    \"INSTTO\": \"VARNOK_APP\",\n"
              "    \"INSTFOL\": null,\n"
              "    \"EXENAME\": \"varnok.exe\",\n"
              "    \"INSTMAKEFOL\": 1\n"
              "  },\n"
              "  \"sections\": {\n"
              "    \"delfiles\": [],\n"
              "    \"delfiles_user\": [],\n"
              "    \"ini\": [\"A=1\"],\n"
              "    \"reg\": [\"[HKEY_CURRENT_USER\\\\Software\\\\A]\"]\n"
              "  },\n"
              "  \"error\": null\n"
              "}\n");
}

TEST(EnvDump, HexAndErrors) {
    ScratchFolder dir;
    dir.Write("install.env", "INSTTO \x83\x7c|\n[delfiles_user]\nsave\n");
    std::string hex = Dump("install.env", true);
    EXPECT_NE(hex.find("[\"494e5354544f\", \"837c20\"]"), std::string::npos) << hex;
    EXPECT_NE(hex.find("\"delfiles_user\": [\"73617665\"]"), std::string::npos) << hex;
    // [設定.env]の[delfiles_user]が終了していません, as its raw bytes.
    EXPECT_NE(hex.find("\"error\": \"5b90dd92e82e656e765d82cc5b64656c66696c65735f757365725d"
                       "82aa8f4997b982b582c482a282dc82b982f1\""),
              std::string::npos)
        << hex;

    // A missing file stops start-up at the existence test: 起動に必要な…
    std::string text = Dump("absent.env", false);
    EXPECT_NE(text.find("\"settings\": [],"), std::string::npos) << text;
    EXPECT_NE(text.find("\"error\": \"\xe8\xb5\xb7\xe5\x8b\x95\xe3\x81\xab\xe5\xbf\x85\xe8\xa6\x81"), std::string::npos)
        << text;
}

// Windows reads the file in text mode: CR LF is one byte, so a CR LF line of
// 510 bytes is one piece, and the 400th line is still read; a Ctrl-Z ends it.
TEST(EnvDump, LinesCountAsInTextMode) {
    ScratchFolder dir;
    std::string body = "/" + std::string(509, 'c') + "\r\n";
    for (int line = 2; line < 400; ++line)
        body += "/\r\n";
    body += "INSTTO Game\r\n\x1aINSTFOL After\r\n";
    dir.Write("install.env", body);
    std::string text = Dump("install.env", false);
    EXPECT_NE(text.find("[\"INSTTO\", \"Game\"]"), std::string::npos) << text;
    EXPECT_EQ(text.find("After"), std::string::npos) << text;
}

}  // namespace
