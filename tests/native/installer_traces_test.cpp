#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/section_lists.h"
#include "config/setting_table.h"
#include "tests/native/settings_test_util.h"
#include "uninstall/installer_traces.h"

namespace {

using Names = std::vector<std::string>;

// Both passes over the settings, as the uninstaller reads install.env.
void Load(const std::string& env) {
    FreeSettingTable();
    for (int state = 1; state <= kSectionCount; ++state)
        ClearSectionList(SectionListOf(state));
    FILE* f = StreamOf(env);
    LoadSettingTableFrom(f);
    std::rewind(f);
    ReadSectionLists(f, nullptr, nullptr);
    std::fclose(f);
}

// What the uninstaller removes is what the install made, by the same names.
TEST(InstallerTraces, LinksGroupsDeepestFirst) {
    // アンインストール, お読みください
    const std::string uninstall = "\x83\x41\x83\x93\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b";
    const std::string readme = "\x82\xa8\x93\xc7\x82\xdd\x82\xad\x82\xbe\x82\xb3\x82\xa2";
    Load("TITLEBAR T\nINST_GROUP M\nHELP_FILE h.txt\n");
    LinkTraces links = InstalledLinks("P", "D", "C:\\G");
    EXPECT_EQ(links.folders, (Names{"P\\M\\T", "P\\M"}));
    EXPECT_EQ(links.files, (Names{"P\\M\\T\\T.LNK", "P\\M\\T\\T " + readme + ".LNK",
                                  "P\\M\\T\\T " + uninstall + ".LNK", "D\\T.LNK"}));
    Load("TITLEBAR T\nINSTREADMEFL -\n");
    links = InstalledLinks("P\\", "", "C:\\G");
    EXPECT_EQ(links.folders, (Names{"P\\T"}));
    EXPECT_EQ(links.files, (Names{"P\\T\\T.LNK", "P\\T\\T " + uninstall + ".LNK"}));
    EXPECT_EQ(UninstallKeyName(), "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\RuRidT");
}

TEST(InstallerTraces, RegValuesAndIniKeysAsTheTransferSplitThem) {
    const struct {
        const char* name;
        std::string env;
        Names reg, ini;
    } cases[] = {
        {"exported lines, escapes, repeats and lines that do not split",
         "REG_GLOBAL G\nREG_LOCAL L\nINI_FILE f.ini\n[reg]\nREGEDIT4\n[HKEY_CURRENT_USER\\Software\\G\\L]\n"
         "\"Path\"=\"REP_INSTALL\\\\data\"\n\"Qu\\\"ote\"=\"x\"\n@=\"default\"\n\"N\"=dword:00000001\n\"Path\"=\"again\"\n-\n"
         "[ini]\nA=REP_INSTALL\nnoequals\nREP_INSTALL=x\nA=again\n-\n",
         {"Path", "Qu\"ote"},
         {"A", "C:\\Games\\T"}},
        {"transfers off", "[reg]\n\"a\"=\"b\"\n-\n[ini]\nk=v\n-\n", {}, {}},
    };
    for (const auto& c : cases) {
        Load(c.env);
        EXPECT_EQ(RegValueNames(RegList, "C:\\Games\\T"), c.reg) << c.name;
        EXPECT_EQ(IniKeys(IniList, "C:\\Games\\T"), c.ini) << c.name;
    }
    EXPECT_EQ(GameKeyName(), "Software\\-\\-");
}

}  // namespace
