// [ini] and [reg] lines: splitting, unescaping and placeholders, with the
// CD-ROM root given through the override and found by the drive search.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>

#include "config/transfer.h"
#include "config/user_registry.h"

namespace {

constexpr char kInstall[] = "C:\\Games\\Title";

class TransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetPlaceholderInstallPath(kInstall);
        SetCdromRootOverride("Q:\\");
    }
    void TearDown() override {
        SetPlaceholderInstallPath("");
        SetCdromRootOverride(nullptr);
    }
};

struct SplitCase {
    int (*split)(const char*, char*, char*);  // SplitIniLine or SplitRegLine
    const char* name;
    std::string line;
    int result;
    std::string first, second;  // key and value, or value name and data
};

constexpr auto kIni = SplitIniLine;
constexpr auto kReg = SplitRegLine;

TEST_F(TransferTest, IniAndRegistryLines) {
    const SplitCase cases[] = {
        {kIni, "install folder", "SavePath=REP_INSTALL\\save", kSplitDone, "SavePath", "C:\\Games\\Title\\save"},
        {kIni, "only the first REP_INSTALL", "P=REP_INSTALL;REP_INSTALL", kSplitDone, "P",
         "C:\\Games\\Title;REP_INSTALL"},
        {kIni, "cut at the first '=', the rest kept", "a=b=c", kSplitDone, "a", "b=c"},
        {kIni, "blanks belong to key and value", " k = v ", kSplitDone, " k ", " v "},
        {kIni, "empty key and value", "=", kSplitDone, "", ""},
        {kIni, "drive placeholder", "Cd=REP_CDROMDRIVEdata", kSplitDone, "Cd", "Q:\\data"},
        {kIni, "REP_CDROM alone is no [ini] placeholder", "Cd=REP_CDROM", kSplitDone, "Cd", "REP_CDROM"},
        {kIni, "both placeholders", "X=REP_INSTALL|REP_CDROMDRIVE", kSplitDone, "X", "C:\\Games\\Title|Q:\\"},
        {kIni, "placeholders are case-sensitive", "X=rep_install", kSplitDone, "X", "rep_install"},
        {kIni, "no '='", "just text", kSplitNoSeparator, "", ""},
        {kIni, "a line that fits only unexpanded", "K=REP_INSTALL" + std::string(497, 'v'), kSplitTooLong, "", ""},
        {kIni, "511 bytes fit", "K=REP_INSTALL" + std::string(511 - 2 - 14, 'v'), kSplitDone, "K",
         std::string(kInstall) + std::string(495, 'v')},
        {kIni, "512 bytes do not", "K=REP_INSTALL" + std::string(512 - 2 - 14, 'v'), kSplitTooLong, "", ""},
        {kReg, "doubled backslashes, then the folder", "\"Path\"=\"REP_INSTALL\\\\data\"", kSplitDone, "Path",
         "C:\\Games\\Title\\data"},
        {kReg, "escaped quote kept", "\"Say\"=\"a \\\"b\\\" c\"", kSplitDone, "Say", "a \"b\" c"},
        {kReg, "drive", "\"Cd\"=\"REP_CDROM\"", kSplitDone, "Cd", "Q:\\"},
        {kReg, "the longer name leaves DRIVE", "\"Cd\"=\"REP_CDROMDRIVE\"", kSplitDone, "Cd", "Q:\\DRIVE"},
        {kReg, "empty data, right after the separator", "\"Empty\"=\"", kSplitDone, "Empty", ""},
        {kReg, "0x5C second bytes pass unchanged", "\"\x95\x5c\"=\"\x83\x5c\x95\x5c\\\\x\"", kSplitDone, "\x95\x5c",
         "\x83\x5c\x95\x5c\\x"},
        {kReg, "other escapes stand for the byte; a final lone backslash goes", "\"n\"=\"\\a\"\\", kSplitDone, "n",
         "a"},
        {kReg, "default value", "@=\"text\"", kSplitNoSeparator, "", ""},
        {kReg, "dword value", "\"Count\"=dword:00000001", kSplitNoSeparator, "", ""},
        {kReg, "key line", "[HKEY_CURRENT_USER\\Software\\Maker\\Game]", kSplitNoSeparator, "", ""},
        {kReg, "export header", "REGEDIT4", kSplitNoSeparator, "", ""},
        {kReg, "separator at the first byte: no name", "\"=\"x\"", kSplitNoSeparator, "", ""},
        {kReg, "does not fit once expanded", "\"P\"=\"REP_INSTALL" + std::string(494, 'v') + "\"", kSplitTooLong, "",
         ""},
    };
    for (const SplitCase& c : cases) {
        // Outputs sit between guards: nothing before or past them may be touched.
        char first[kTransferTextSize + 2], second[kTransferTextSize + 2];
        std::memset(first, '#', sizeof first);
        std::memset(second, '#', sizeof second);
        ASSERT_EQ(c.split(c.line.c_str(), first + 1, second + 1), c.result) << c.name;
        EXPECT_EQ(first[0], '#') << c.name;
        EXPECT_EQ(second[0], '#') << c.name;
        if (c.result != kSplitDone) {
            EXPECT_EQ(first[1], '#') << c.name;
            EXPECT_EQ(second[1], '#') << c.name;
            continue;
        }
        EXPECT_EQ(std::string(first + 1), c.first) << c.name;
        EXPECT_EQ(std::string(second + 1), c.second) << c.name;
    }
}

TEST_F(TransferTest, UnescapingComesBeforeTheExpansion) {
    SetPlaceholderInstallPath("D:\\\\odd");
    char name[kTransferTextSize], data[kTransferTextSize];
    ASSERT_EQ(SplitRegLine("\"P\"=\"REP_INSTALL\"", name, data), kSplitDone);
    EXPECT_STREQ(data, "D:\\\\odd");
}

TEST_F(TransferTest, UnescapeKeepsDoubleByteCharactersWhole) {
    struct Case {
        const char* in;
        const char* out;
    };
    for (Case c : {Case{"a\\\\b", "a\\b"}, Case{"\\\"", "\""}, Case{"\x83\x5c\\\\", "\x83\x5c\\"},
                   Case{"\\\x83\x5c", "\x83"}, Case{"\\", ""}, Case{"", ""}}) {
        const char* out = UnescapeRegText(c.in);
        ASSERT_NE(out, nullptr) << c.in;
        EXPECT_STREQ(out, c.out) << c.in;
    }
    EXPECT_EQ(UnescapeRegText(std::string(520, 'x').c_str()), nullptr);
    EXPECT_STREQ(UnescapeRegText(std::string(519, 'x').c_str()), std::string(519, 'x').c_str());
}

TEST_F(TransferTest, EachExpansionKeepsItsOwnText) {
    const char* ini = ExpandIniPlaceholders("i REP_CDROMDRIVE");
    const char* reg = ExpandRegPlaceholders("r REP_CDROM");
    EXPECT_STREQ(ini, "i Q:\\");
    EXPECT_STREQ(reg, "r Q:\\");
    EXPECT_EQ(ExpandIniPlaceholders(std::string(512, 'x').c_str()), nullptr);
}

TEST(CdromSearchTest, FirstCdromFromAToZElseE) {
    static const char* cdroms;  // letters that are CD-ROM drives
    auto query = [](const char* root) -> unsigned {
        return std::strlen(root) == 3 && root[1] == ':' && root[2] == '\\' && std::strchr(cdroms, root[0])
                   ? kDriveTypeCdrom
                   : 3u;
    };
    struct Case {
        const char* cdroms;
        const char* root;
    };
    for (Case c : {Case{"DQ", "D:\\"}, Case{"Z", "Z:\\"}, Case{"A", "A:\\"}, Case{"", "E:\\"}}) {
        cdroms = c.cdroms;
        EXPECT_STREQ(FindCdromRootWith(query), c.root) << c.cdroms;
    }
}

TEST(CdromSearchTest, NativeSearchFindsNoneAndTheExpansionsUseIt) {
    SetCdromRootOverride(nullptr);
    EXPECT_STREQ(FindCdromRoot(), "E:\\");
    EXPECT_STREQ(ExpandRegPlaceholders("REP_CDROM"), "E:\\");
}

TEST(CdromSearchTest, OnlyALineWithThePlaceholderSearches) {
    static int searches;
    SetCdromSearch([] {
        ++searches;
        return "Q:\\";
    });
    char first[kTransferTextSize], second[kTransferTextSize];
    for (auto [split, line] : {std::pair{kIni, "Path=REP_INSTALL"}, std::pair{kIni, "Cd=REP_CDROMDRIVE"},
                               std::pair{kReg, "\"A\"=\"b\""}, std::pair{kReg, "\"Cd\"=\"REP_CDROM\""}})
        EXPECT_EQ(split(line, first, second), kSplitDone) << line;
    EXPECT_EQ(searches, 2);
    SetCdromSearch(nullptr);
}

}  // namespace
