// The destination folder's text: proposal, picker result, normalisation on
// OK and the level prefixes, with Shift-JIS names written as bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "install/destination_path.h"
#include "shell/mbtext.h"

namespace {

constexpr char kMaker[] = "Maker";
constexpr char kTitle[] = "Title";
// 表 ends in 0x5C; ソ is 0x83 0x5C.
constexpr char kHyou[] = "\x95\x5c";
constexpr char kSo[] = "\x83\x5c";

DestinationSettings Settings(const char* instFol, int makeFol, const char* windowsDir = "C:\\WINDOWS") {
    return {windowsDir, instFol, kTitle, makeFol};
}

struct Result {
    FolderVerdict verdict;
    std::string text;
};

Result Normalised(const DestinationSettings& s, const std::string& typed) {
    char text[kPathSize + 1];
    text[kPathSize] = '#';  // guard byte past the buffer
    CopyText(text, kPathSize, typed.c_str());
    FolderVerdict v = NormaliseDestination(s, text);
    EXPECT_EQ(text[kPathSize], '#') << typed;
    return {v, v == FolderVerdict::Accepted ? text : ""};
}

TEST(DestinationPathTest, NormalisationOnOk) {
    struct Case {
        const char* name;
        DestinationSettings settings;
        std::string typed;
        FolderVerdict verdict;
        std::string path;
    };
    const auto A = FolderVerdict::Accepted, N = FolderVerdict::Network, R = FolderVerdict::Root;
    const std::string so = kSo, hyou = kHyou;
    const Case cases[] = {
        {"slashes", Settings(nullptr, 0), "C:/Games/X", A, "C:\\Games\\X"},
        {"trailing backslash", Settings(nullptr, 0), "C:\\Games\\X\\", A, "C:\\Games\\X"},
        {"UNC", Settings(nullptr, 0), "\\\\server\\share", N, ""},
        {"UNC with slashes", Settings(nullptr, 0), "//server/share", N, ""},
        {"double backslash after a letter", Settings(nullptr, 0), "C:\\Games\\\\X", N, ""},
        {"0x5C second byte then a separator", Settings(nullptr, 0), "C:\\" + hyou + "\\X", A,
         "C:\\" + hyou + "\\X"},
        {"ends in a 0x5C second byte", Settings(nullptr, 0), "C:\\" + so, A, "C:\\" + so},
        {"empty entry", Settings(nullptr, 0), "", R, ""},
        {"bare drive", Settings(nullptr, 0), "C:", R, ""},
        {"drive root", Settings(nullptr, 0), "C:\\", R, ""},
        {"no drive: the Windows drive", Settings(nullptr, 0, "D:\\WIN"), "\\Games", A, "D:\\Games"},
        {"relative name", Settings(nullptr, 0), "Games", A, "C:\\Games"},
        {"make-folder rule on an empty entry", Settings(nullptr, 1), "", A, "C:\\Title"},
        {"make-folder rule with INSTFOL", Settings(kMaker, 1), "D:\\Games", A, "D:\\Games\\Maker\\Title"},
        {"INSTTO already there", Settings(kMaker, 1), "D:\\Games\\Title", A, "D:\\Games\\Title"},
        {"INSTTO found as a byte substring", Settings(kMaker, 1), "D:\\Titles", A, "D:\\Titles"},
        {"make-folder rule without INSTFOL", Settings(nullptr, 1), "D:\\Games", A, "D:\\Games\\Title"},
        {"make-folder rule on a drive root", Settings(nullptr, 1), "D:\\", A, "D:\\Title"},
        {"Windows directory without a drive", Settings(nullptr, 0, "WINDOWS"), "Games", A, "Games"},
    };
    for (const Case& c : cases) {
        Result r = Normalised(c.settings, c.typed);
        EXPECT_EQ(r.verdict, c.verdict) << c.name;
        EXPECT_EQ(r.text, c.path) << c.name;
    }
}

TEST(DestinationPathTest, CompositionsPastTwoHundredFiftyNineBytesAreRefused) {
    const std::string deep = "C:\\" + std::string(250, 'd');  // 253 bytes
    struct Case {
        const char* name;
        DestinationSettings settings;
        std::string typed;
        FolderVerdict verdict;
        size_t length;
    };
    const Case cases[] = {
        {"259 bytes after the make-folder rule", Settings(nullptr, 1), deep, FolderVerdict::Accepted,
         259},
        {"260 bytes after the make-folder rule", Settings(nullptr, 1), deep + "d", FolderVerdict::TooLong, 0},
        {"259 bytes with the Windows drive", Settings(nullptr, 0), "\\" + std::string(256, 'g'),
         FolderVerdict::Accepted, 259},
        {"260 bytes with the Windows drive", Settings(nullptr, 0), "\\" + std::string(257, 'g'),
         FolderVerdict::TooLong, 0},
        {"the separator after the drive is the 260th byte", Settings(nullptr, 0), "C:" + std::string(257, 'g'),
         FolderVerdict::TooLong, 0},
    };
    for (const Case& c : cases) {
        Result r = Normalised(c.settings, c.typed);
        EXPECT_EQ(r.verdict, c.verdict) << c.name;
        EXPECT_EQ(r.text.size(), c.length) << c.name;
    }
}

TEST(DestinationPathTest, DefaultFolder) {
    struct Case {
        DestinationSettings settings;
        FolderVerdict verdict;
        std::string path;
    };
    const std::string longName(120, 'n'), longerName(122, 'n');
    const Case cases[] = {
        {Settings(nullptr, 0), FolderVerdict::Accepted, "C:\\Program Files\\Title"},
        {Settings(kMaker, 0, "D:\\WINNT\\"), FolderVerdict::Accepted, "D:\\Program Files\\Maker\\Title"},
        {Settings(nullptr, 0, "WINDOWS"), FolderVerdict::Accepted, "Program Files\\Title"},
        {{"C:\\WINDOWS", longName.c_str(), longName.c_str(), 0}, FolderVerdict::Accepted,
         "C:\\Program Files\\" + longName + "\\" + longName},
        {{"C:\\WINDOWS", longerName.c_str(), longName.c_str(), 0}, FolderVerdict::TooLong, ""},
    };
    for (const Case& c : cases) {
        char out[kPathSize];
        FolderVerdict v = ComposeDefaultFolder(c.settings, out);
        EXPECT_EQ(v, c.verdict) << c.path;
        if (v == FolderVerdict::Accepted) {
            EXPECT_EQ(out, c.path);
        }
    }
}

TEST(DestinationPathTest, BrowsedFolder) {
    struct Case {
        const char* instFol;
        std::string picked;
        FolderVerdict verdict;
        std::string path;
    };
    const Case cases[] = {
        {kMaker, "C:\\Games", FolderVerdict::Accepted, "C:\\Games\\Maker\\Title"},
        {kMaker, "C:\\Program Files\\Maker", FolderVerdict::Accepted, "C:\\Program Files\\Maker\\Title"},
        {kMaker, "C:\\", FolderVerdict::Accepted, "C:\\Maker\\Title"},
        {nullptr, "C:\\Games", FolderVerdict::Accepted, "C:\\Games\\Title"},
        {nullptr, std::string("C:\\") + kSo, FolderVerdict::Accepted, std::string("C:\\") + kSo + "\\Title"},
        {nullptr, "C:\\" + std::string(250, 'p'), FolderVerdict::Accepted, "C:\\" + std::string(250, 'p') + "\\Title"},
        {nullptr, "C:\\" + std::string(251, 'p'), FolderVerdict::TooLong, ""},
        {kMaker, "C:\\" + std::string(244, 'p'), FolderVerdict::Accepted, "C:\\" + std::string(244, 'p') + "\\Maker\\Title"},
        {kMaker, "C:\\" + std::string(245, 'p'), FolderVerdict::TooLong, ""},
    };
    for (const Case& c : cases) {
        char out[kPathSize];
        FolderVerdict v = ComposeBrowsedFolder(Settings(c.instFol, 0), c.picked.c_str(), out);
        EXPECT_EQ(v, c.verdict) << c.picked;
        if (v == FolderVerdict::Accepted) {
            EXPECT_EQ(out, c.path);
        }
    }
}

TEST(DestinationPathTest, PathPrefixCountsCharactersAndLevels) {
    struct Case {
        std::string path;
        int n;
        std::string prefix;
    };
    const std::string so = kSo;
    const Case cases[] = {
        {"C:\\A\\B", 1, "C:"},
        {"C:\\A\\B", 2, "C:\\A"},
        {"C:\\A\\B", 3, "C:\\A\\B"},
        {"C:\\A\\B", 9, "C:\\A\\B"},
        {"\\A\\B", 1, "\\A"},
        {"C:\\" + so + "\\B", 2, "C:\\" + so},
        {"C:\\" + so + "X\\B", 2, "C:\\" + so + "X"},
        {"C:\\A\\", 2, "C:\\A"},
        {"C:\\A\\", 3, "C:\\A\\"},
        {"", 1, ""},
    };
    for (const Case& c : cases) {
        char out[kPathSize];
        PathPrefix(c.path.c_str(), out, c.n);
        EXPECT_EQ(out, c.prefix) << c.path << " n=" << c.n;
    }
}

}  // namespace
