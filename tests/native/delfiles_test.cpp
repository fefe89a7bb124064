#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "config/section_lists.h"
#include "shell/mbtext.h"
#include "uninstall/removal_plan.h"

namespace {

using V = DelEntryVerdict;

TEST(DelEntry, ParsedOrRefused) {
    const struct {
        const char* line;
        V verdict;
        const char* entry;
    } cases[] = {
        {"varnok.exe", V::Ok, "varnok.exe"},
        {"  data/scenario//start.vks\t// comment", V::Ok, "data\\scenario\\start.vks"},
        {"save\\*.sav // saves", V::Ok, "save\\*.sav"},
        {"My Save.dat  ", V::Ok, "My Save.dat"},
        {"a//b", V::Ok, "a\\b"},  // "//" inside a name is no comment
        // ソ (0x83 0x5C) ends in a backslash byte that is no separator, ｱ is one byte.
        {"\x83\x5c\\\xb1.txt", V::Ok, "\x83\x5c\\\xb1.txt"},
        {"\x83\x5c", V::Ok, "\x83\x5c"},
        {"   // only a comment", V::Blank, ""},
        {"\t", V::Blank, ""},
        {"..\\outside.txt", V::ParentLevel, ""},
        {"data\\..\\..\\x", V::ParentLevel, ""},
        {"data/./x", V::ParentLevel, ""},
        {"...", V::ParentLevel, ""},
        {"save\\. .\\x", V::ParentLevel, ""},  // Windows drops the trailing dot and blank
        {"C:\\x.txt", V::Drive, ""},
        {"C:x.txt", V::Drive, ""},
        {"readme.txt:stream", V::Drive, ""},
        {"\\x.txt", V::Rooted, ""},
        {"/x.txt", V::Rooted, ""},
        {"\\\\server\\share\\x", V::Rooted, ""},
        {"sav?\\a.sav", V::WildcardFolder, ""},
        {"*\\a.sav", V::WildcardFolder, ""},
        {"save\\", V::NoName, ""},
        {"..\\", V::ParentLevel, ""},
    };
    for (const auto& c : cases) {
        char entry[kDelPathSize] = "unchanged";
        EXPECT_EQ(ParseDelEntry(c.line, entry), c.verdict) << c.line;
        EXPECT_STREQ(entry, c.entry) << c.line;
    }
    std::string longest(kDelPathSize, 'a'), fits(kDelPathSize - 1, 'a');
    char entry[kDelPathSize];
    EXPECT_EQ(ParseDelEntry(longest.c_str(), entry), V::TooLong);
    EXPECT_EQ(ParseDelEntry(fits.c_str(), entry), V::Ok);
    EXPECT_EQ(entry, fits);
}

TEST(DelEntry, NamePatterns) {
    const struct {
        const char* pattern;
        const char* name;
        bool match;
    } cases[] = {
        {"*.sav", "slot1.sav", true},
        {"*.sav", "slot1.SAV", true},
        {"*.sav", "slot1.save", false},  // no short-name surprises
        {"*.sav", ".sav", true},
        {"slot?.sav", "slot1.sav", true},
        {"slot?.sav", "slot10.sav", false},
        {"slot?.sav", "slot.sav", false},
        {"*", "anything", true},
        {"*.*", "noextension", true},
        {"*.", "noextension", false},
        {"a*b*c", "aXbYc", true},
        {"a*b*c", "aXbYcZ", false},
        {"a*b*c*d*e*f*g*h*i*j", "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
        // セーブ?.dat: '?' takes the double-byte ０ whole.
        {"\x83\x5a\x81\x5b\x83\x75?.dat", "\x83\x5a\x81\x5b\x83\x75\x82\x4f.dat", true},
        // A second byte that looks like 'A' is not the letter a.
        {"?a", "\x83\x41", false},
        {"?", "\x83\x41", true},
        // Full-width Ａ and ａ are one letter.
        {"\x82\x60.txt", "\x82\x81.txt", true},
        {"sav", "SAV", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MatchNamePattern(c.pattern, c.name), c.match) << c.pattern << " / " << c.name;
}

// A folder tree in memory: relative folder path to its items.
class FakeTree {
public:
    FakeTree(std::initializer_list<const char*> files) {
        folders_[""];
        for (std::string path : files) {
            std::string folder;
            // A 0x5C second byte is no separator.
            for (const char* sep; (sep = MbsChr(path.c_str(), '\\')) != nullptr;) {
                size_t at = static_cast<size_t>(sep - path.c_str());
                std::string name = path.substr(0, at);
                Add(folder, name, true);
                folder = JoinLevels(folder, name);
                path.erase(0, at + 1);
            }
            Add(folder, path, false);
        }
    }
    FolderLister Lister() {
        return [this](const std::string& folder, std::vector<FolderItem>& items) {
            auto it = folders_.find(folder);
            if (it == folders_.end())
                return false;
            items = it->second;
            return true;
        };
    }
private:
    void Add(const std::string& folder, const std::string& name, bool isFolder) {
        auto& items = folders_[folder];
        for (const FolderItem& i : items) {
            if (i.name == name)
                return;
        }
        items.push_back({name, isFolder});
        if (isFolder)
            folders_[JoinLevels(folder, name)];
    }
    std::map<std::string, std::vector<FolderItem>> folders_;
};

struct Lines {
    explicit Lines(std::initializer_list<const char*> texts) {
        for (const char* t : texts)
            AppendSectionLine(head, t);
    }
    ~Lines() { ClearSectionList(head); }
    SectionLine* head = nullptr;
};

TEST(RemovalPlan, EntriesResolveToFilesOnceEachAndRefusedLinesAreKept) {
    FakeTree tree({"varnok.exe", "UnInst.exe", "Data\\Scenario\\start.vks", "Data\\Scenario\\end.vks",
                   "save\\slot1.sav", "save\\slot2.SAV", "save\\notes.txt", "save\\old\\slot3.sav", "mine.txt",
                   "\x83\x5c\\\x83\x5a\x81\x5b\x83\x75.dat"});
    Lines del({"VARNOK.EXE", "data\\scenario\\*.vks", "data\\scenario\\start.vks", "missing.dll", "..\\outside.txt",
               "C:\\x.txt", "\\x.txt", "nofolder\\*.x", "\x83\x5c\\*.dat", "save"});
    Lines user({"save\\*.sav", "save\\*\\*.sav"});
    RemovalPlan plan;
    AddSectionToPlan(del.head, tree.Lister(), plan);
    AddSectionToPlan(user.head, tree.Lister(), plan);
    const std::vector<std::string> files = {
        "varnok.exe", "Data\\Scenario\\start.vks", "Data\\Scenario\\end.vks", "\x83\x5c\\\x83\x5a\x81\x5b\x83\x75.dat",
        "save\\slot1.sav", "save\\slot2.SAV"};
    EXPECT_EQ(plan.files, files);
    ASSERT_EQ(plan.refused.size(), 4u);
    EXPECT_STREQ(plan.refused[0].line->text, "..\\outside.txt");
    EXPECT_EQ(plan.refused[0].verdict, V::ParentLevel);
    EXPECT_EQ(plan.refused[1].verdict, V::Drive);
    EXPECT_EQ(plan.refused[2].verdict, V::Rooted);
    EXPECT_EQ(plan.refused[3].verdict, V::WildcardFolder);
}

TEST(RemovalPlan, TreeListsEveryFileAndFoldersDeepestFirst) {
    FakeTree tree({"a.txt", "d\\e\\f.txt", "d\\g.txt", "h\\i.txt"});
    TreeListing listing = ListTree(tree.Lister());
    EXPECT_EQ(listing.files, (std::vector<std::string>{"a.txt", "d\\g.txt", "d\\e\\f.txt", "h\\i.txt"}));
    EXPECT_EQ(listing.folders, (std::vector<std::string>{"d\\e", "d", "h"}));
}

}  // namespace
