#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "resfile/file_locator.h"
#include "tests/native/settings_test_util.h"

namespace {

class Locator : public ::testing::Test {
protected:
    void SetUp() override { Reset(); }
    void TearDown() override { Reset(); }
    static void Reset() {
        SetDirectOpenAllowed(1);
        SetPrefixFolder("");
        SetSearchContainers(nullptr);
    }
    // The path FindResourcePath reports, or "<none>".
    static std::string Found(const char* name) {
        char out[kPathSize] = "junk";
        char* r = FindResourcePath(name, out);
        if (!r) {
            EXPECT_STREQ(out, "") << "output must be emptied";
            return "<none>";
        }
        EXPECT_EQ(r, out);
        return out;
    }
    // What LocateAndOpen reads, or "<none>".
    static std::string Opened(const char* name, const char* mode = "rb") {
        FILE* f = LocateAndOpen(name, mode);
        if (!f)
            return "<none>";
        std::string text = ReadRest(f);
        std::fclose(f);
        return text;
    }
    ScratchFolder dir;
};

SearchContainer FolderContainer(const FolderTableEntry* table, int32_t count) {
    return {"", kFolderContainer, table, count, nullptr, 0, nullptr};
}

TEST_F(Locator, BareNameInCurrentFolder) {
    dir.Write("install.env", "TITLEBAR x\n");
    EXPECT_EQ(ResourceFileExists("install.env"), 1);
    EXPECT_EQ(Found("install.env"), "install.env");
    FILE* f = OpenResourceFile("install.env", "rt");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(ReadRest(f), "TITLEBAR x\n");
    std::fclose(f);

    EXPECT_EQ(ResourceFileExists("insttscr.rct"), 0);
    EXPECT_EQ(Found("insttscr.rct"), "<none>");
}

using LocatorDeathTest = Locator;

// With no way to find anything, the open asks; the native build has nobody
// to answer: Cancel, exit code -1.
TEST_F(LocatorDeathTest, NothingFoundWithoutDirectOpenAndCancelEndsTheProcess) {
    dir.Write("insttscr.rct", "x");
    SetDirectOpenAllowed(0);
    EXPECT_EQ(ResourceFileExists("insttscr.rct"), 0);
    EXPECT_EQ(Opened("insttscr.rct"), "<none>");
    EXPECT_EXIT(OpenResourceFile("insttscr.rct", "rb"), ::testing::ExitedWithCode(255),
                "Ffopen : .*\\[insttscr.rct\\]");
}

TEST_F(Locator, PrefixReplacesTheBareName) {
    dir.Write("pic.rct", "here");
    ASSERT_TRUE(SetPrefixFolder("sub/"));
    EXPECT_EQ(Found("pic.rct"), "<none>") << "the name unchanged must not be tried";
    dir.Write("sub/pic.rct", "prefixed");
    EXPECT_EQ(Found("pic.rct"), "sub/pic.rct");
    EXPECT_EQ(Opened("pic.rct"), "prefixed");
}

// An audio name tries the containers first, then prefix + name, whose
// result stands; the name unchanged is never tried while a prefix is set.
TEST_F(Locator, AudioNamesTryThePrefixAfterTheContainers) {
    dir.Write("bgm.ogg", "plain");
    ASSERT_TRUE(SetPrefixFolder("sub/"));
    FolderTableEntry table[] = {{ResourceNameHash("bgm.ogg"), "fa"}};
    SearchContainer c = FolderContainer(table, 1);
    SetSearchContainers(&c);
    EXPECT_EQ(Opened("bgm.ogg"), "<none>");
    dir.Write("sub/bgm.ogg", "prefixed");
    EXPECT_EQ(Opened("bgm.ogg"), "prefixed");
    dir.Write("fa\\bgm.ogg", "contained");
    EXPECT_EQ(Opened("bgm.ogg"), "contained");
    SetSearchContainers(nullptr);
}

TEST_F(Locator, OverlongPathsAreRefusedNotCut) {
    EXPECT_FALSE(SetPrefixFolder(std::string(260, 'p').c_str()));
    EXPECT_TRUE(SetPrefixFolder(std::string(259, 'p').c_str()));

    // prefix + name of 261 bytes; its first 259 bytes name a real file.
    std::string prefix = std::string(200, 'd') + "/";
    ASSERT_TRUE(SetPrefixFolder(prefix.c_str()));
    std::string fits(58, 'n'), tooLong(60, 'n');
    dir.Write(prefix + fits, "fits");
    EXPECT_EQ(Found(fits.c_str()), prefix + fits);
    EXPECT_EQ(Found(tooLong.c_str()), "<none>");
    EXPECT_EQ(Opened(tooLong.c_str()), "<none>");
}

TEST_F(Locator, NameHashIsCrc32OfTheLowerCasedFinalComponent) {
    struct Case {
        const char* name;
        uint32_t hash;
    };
    const Case cases[] = {
        {"install.env", 0x2cd81c32u},
        {"INSTALL.ENV", 0x2cd81c32u},
        {"C:\\game\\data/Install.Env", 0x2cd81c32u},
        {"bgm.ogg", 0x0f1a5327u},
        // ア (0x83 0x41): its second byte is 'A' and must not be lower-cased.
        {"\x83\x41.OGG", 0xb679eba7u},
        // ソ (0x83 0x5C): its second byte is no folder separator.
        {"\x83\x5cx.rct", 0x985ca5e1u},
        // Full-width Ａ (0x82 0x60) hashes as it stands, not as ａ (0x82 0x81).
        {"\x82\x60.rct", 0x75a88a4fu},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ResourceNameHash(c.name), c.hash) << c.name;
}

TEST_F(Locator, AudioNamesTryContainersFirst) {
    for (const char* name : {"bgm.ogg", "bgm.OGG", "se.Wav", "pic.rct"}) {
        dir.Write(name, "plain");
        dir.Write(std::string("fa\\") + name, "contained");  // the folder table's composed name
        FolderTableEntry table[] = {{ResourceNameHash(name), "fa"}};
        SearchContainer c = FolderContainer(table, 1);
        SetSearchContainers(&c);
        bool audio = std::strcmp(name, "pic.rct") != 0;
        EXPECT_EQ(Opened(name), audio ? "contained" : "plain") << name;
        SetSearchContainers(nullptr);
        EXPECT_EQ(Opened(name), "plain") << name << ": without containers, opened unchanged";
    }
}

TEST_F(Locator, NamesWithAFolderPartSkipTheContainers) {
    FolderTableEntry table[] = {{ResourceNameHash("x.rct"), "fa"}, {ResourceNameHash("x.ogg"), "fa"}};
    SearchContainer c = FolderContainer(table, 2);
    SetSearchContainers(&c);
    dir.Write("fa\\sub\\x.rct", "contained");
    EXPECT_EQ(Found("sub\\x.rct"), "<none>");
    // An audio name with a folder part is still tried unchanged, last.
    dir.Write("sub\\x.ogg", "plain");
    EXPECT_EQ(Found("sub\\x.ogg"), "sub\\x.ogg");
    // A double-byte character ending in 0x5C is no folder part.
    std::string sjis = "\x83\x5c.rct";
    table[0].nameHash = ResourceNameHash(sjis.c_str());
    EXPECT_EQ(Found(sjis.c_str()), "fa\\" + sjis);
}

TEST_F(Locator, FolderTableTriesEveryMatchInOrder) {
    uint32_t h = ResourceNameHash("pic.rct");
    FolderTableEntry table[] = {{h + 1, "f0"}, {h, "f1"}, {h, "f2"}};
    SearchContainer c = FolderContainer(table, 3);
    SetSearchContainers(&c);
    SetDirectOpenAllowed(0);
    dir.Write("f0\\pic.rct", "wrong hash");
    dir.Write("f2\\pic.rct", "second match");
    EXPECT_EQ(Opened("pic.rct"), "second match");
    EXPECT_EQ(Found("pic.rct"), "f1\\pic.rct") << "a table match is reported without opening";
}

TEST_F(Locator, ArchiveIndexIsBinarySearchedUnsigned) {
    dir.Write("data.arc", "0123456789ABCDEF");
    uint32_t h = ResourceNameHash("pic.rct");
    // Sorted as unsigned: hashes at and above 0x80000000 sort last.
    std::vector<ArchiveIndexRecord> index = {{0x00000001u, 1, 0}, {0x7fffffffu, 2, 0}, {0x80000000u, 3, 0},
                                             {0xfffffffeu, 4, 0}};
    index.push_back({h, 10, 0});
    std::sort(index.begin(), index.end(), [](auto& a, auto& b) { return a.nameHash < b.nameHash; });
    SearchContainer arc = {"data.arc", kArchiveContainer, nullptr, 0, index.data(), int32_t(index.size()), nullptr};
    SetSearchContainers(&arc);
    SetDirectOpenAllowed(0);
    EXPECT_EQ(Opened("pic.rct"), "ABCDEF");
    EXPECT_EQ(Found("PIC.RCT"), "data.arc");
    EXPECT_EQ(Found("other.rct"), "<none>");
}

TEST_F(Locator, ContainerKindsDecideWhatIsConsulted) {
    dir.Write("a.arc", "xxAAA");
    dir.Write("b.arc", "xxBBB");
    uint32_t h = ResourceNameHash("pic.rct");
    ArchiveIndexRecord rec[] = {{h, 2, 0}};
    FolderTableEntry miss[] = {{h + 1, "nowhere"}};
    SetDirectOpenAllowed(0);

    // An unknown kind is skipped; a folder container with a table never
    // falls back to its index; one without a table uses its index.
    SearchContainer noTable = {"b.arc", kFolderContainer, nullptr, 0, rec, 1, nullptr};
    SearchContainer withTable = {"a.arc", kFolderContainer, miss, 1, rec, 1, &noTable};
    SearchContainer unknown = {"a.arc", 7, nullptr, 0, rec, 1, &withTable};
    SetSearchContainers(&unknown);
    EXPECT_EQ(Opened("pic.rct"), "BBB");

    // A missing archive file: the next container is tried.
    SearchContainer missing = {"gone.arc", kArchiveContainer, nullptr, 0, rec, 1, &noTable};
    SetSearchContainers(&missing);
    EXPECT_EQ(Opened("pic.rct"), "BBB");
}

}  // namespace
