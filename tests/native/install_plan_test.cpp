#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "install/link_plan.h"
#include "install/registration_plan.h"

namespace {

// 表 (0x95 0x5C): its second byte is a backslash.
const std::string kHyou = "\x95\x5C";
// アンインストール
const std::string kUninstall = "\x83\x41\x83\x93\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b";

LinkSettings Settings(const char* group, const char* readmeFile) {
    return {"Title", group, "Maker Title", "game.exe", "readme", readmeFile};
}

struct LinkCase {
    const char* name;
    const char* group;
    const char* readmeFile;
    const char* programs;
    std::string install;
    std::string groupPrefix;  // expected link folder, trailing backslash included
};

TEST(LinkPlan, StartMenuLinksFollowGroupReadmeAndFolders) {
    const LinkCase cases[] = {
        {"group", "Maker", "readme.txt", "C:\\Programs", "C:\\Games\\Title", "C:\\Programs\\Maker\\Title\\"},
        {"no group", nullptr, "manual.txt", "C:\\Programs\\", "C:\\Games\\Title", "C:\\Programs\\Title\\"},
        {"no readme", nullptr, "", "C:\\Programs", "D:\\" + kHyou, "C:\\Programs\\Title\\"},
        {"readme unused", "Maker", "-", "C:\\Programs", "C:\\Games\\Title", "C:\\Programs\\Maker\\Title\\"},
    };
    for (const LinkCase& c : cases) {
        SCOPED_TRACE(c.name);
        PlannedLink links[3];
        int count = PlanStartMenuLinks(c.programs, c.install.c_str(), Settings(c.group, c.readmeFile), links);
        bool readme = c.readmeFile[0] != '\0' && c.readmeFile[0] != '-';
        ASSERT_EQ(count, readme ? 3 : 2);
        std::string install = c.install + "\\";
        struct Expected {
            std::string file, target;
        };
        std::vector<Expected> expected = {{c.groupPrefix + "Title.LNK", install + "game.exe"}};
        if (readme)
            expected.push_back({c.groupPrefix + "Title readme.LNK", install + c.readmeFile});
        expected.push_back({c.groupPrefix + "Title " + kUninstall + ".LNK", install + "UnInst.exe"});
        for (int i = 0; i < count; ++i) {
            EXPECT_TRUE(links[i].fits);
            EXPECT_EQ(links[i].file, expected[i].file);
            EXPECT_EQ(links[i].target, expected[i].target);
            EXPECT_STREQ(links[i].description, "Maker Title");
            // The working folder is the target's folder, even when its last
            // character's second byte is a backslash.
            EXPECT_EQ(links[i].workFolder, c.install);
        }
        GroupFolders folders = PlanGroupFolders(c.programs, Settings(c.group, c.readmeFile));
        ASSERT_EQ(folders.count, c.group ? 2 : 1);
        EXPECT_EQ(folders.path[folders.count - 1] + std::string("\\"), c.groupPrefix);
    }
}

TEST(LinkPlan, PathsThatDoNotFitAreRefusedNeverCut) {
    // Link file of exactly 259 bytes fits, 260 does not; the same for targets.
    const std::string desktop = "C:\\D";
    const size_t room = 259 - (desktop.size() + 1 + std::strlen("Title.LNK"));
    for (size_t extra : {size_t{0}, size_t{1}}) {
        std::string folder = desktop + std::string(room + extra - 1, 'x');
        folder.insert(3, "\\");
        PlannedLink link = PlanDesktopLink(folder.c_str(), "C:\\Games", Settings(nullptr, ""));
        EXPECT_EQ(link.fits, extra == 0) << extra;
        if (link.fits)
            EXPECT_EQ(std::strlen(link.file), 259u);
        else
            EXPECT_STREQ(link.file, "");
    }
    // A 250-byte install folder: "\\game.exe" still fits, "\\UnInst.exe" does not.
    std::string deep = "C:\\" + std::string(247, 'g');
    PlannedLink links[3];
    int count = PlanStartMenuLinks("C:\\P", deep.c_str(), Settings(nullptr, "readme.txt"), links);
    EXPECT_EQ(count, 3);
    EXPECT_TRUE(links[0].fits);
    EXPECT_FALSE(links[2].fits);
    EXPECT_STREQ(links[2].target, "");
    // A group level that does not fit is not created, nor anything below it.
    std::string longPrograms = "C:\\" + std::string(254, 'p');
    GroupFolders folders = PlanGroupFolders(longPrograms.c_str(), Settings("Maker", ""));
    EXPECT_EQ(folders.count, 0);
}

TEST(FolderPart, CutsAtTheLastRealBackslash) {
    struct Case {
        std::string path;
        bool found;
        std::string folder;
    } cases[] = {
        {"C:\\Games\\Title\\game.exe", true, "C:\\Games\\Title"},
        {"game.exe", false, "untouched"},
        {"C:\\" + kHyou, true, "C:"},
        {"C:\\a" + kHyou + "b", true, "C:"},
        {"\\", true, ""},
    };
    for (const Case& c : cases) {
        char out[kPathSize] = "untouched";
        EXPECT_EQ(FolderPartOf(out, sizeof out, c.path.c_str()), c.found) << c.path;
        EXPECT_EQ(out, c.folder) << c.path;
    }
    char small[4] = "abc";
    EXPECT_FALSE(FolderPartOf(small, sizeof small, "C:\\Games\\x"));
    EXPECT_STREQ(small, "abc");
}

TEST(Registration, ExtensionsKeyCommandAndBatch) {
    struct Case {
        const char* path;
        const char* expected;
    } cases[] = {
        {"C:\\Temp\\Pelladrover_fullaccess.bat", "C:\\Temp\\Pelladrover_fullaccess.pif"},
        {"C:\\Temp\\name", "C:\\Temp\\name.pif"},
        {"C:\\Temp\\name.", "C:\\Temp\\name.pif"},
        {"C:\\Temp\\a..bat", "C:\\Temp\\a.pif"},
        {"C:\\T.d\\name", "C:\\T.d\\name.pif"},
        {"name.bat", "name.pif"},
    };
    for (const Case& c : cases) {
        char out[kPathSize];
        ASSERT_TRUE(ReplaceExtension(out, sizeof out, c.path, "pif")) << c.path;
        EXPECT_STREQ(out, c.expected);
    }
    char tiny[8];
    EXPECT_FALSE(ReplaceExtension(tiny, sizeof tiny, "C:\\abc.bat", "pif"));
    EXPECT_STREQ(tiny, "");

    char key[kUninstallKeySize];
    ASSERT_TRUE(FormatUninstallKey(key, sizeof key, "Title"));
    EXPECT_STREQ(key, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\RuRidTitle");
    char command[kUninstallCommandSize];
    ASSERT_TRUE(FormatUninstallCommand(command, sizeof command, "C:\\Program Files\\Title"));
    EXPECT_STREQ(command, "\"C:\\Program Files\\Title\\UnInst.exe\"");
    std::string longest(259, 'f');
    EXPECT_TRUE(FormatUninstallCommand(command, sizeof command, longest.c_str()));

    char batch[kAccessBatchTextSize];
    ASSERT_TRUE(FormatAccessBatch(batch, sizeof batch, "C:\\Program Files\\Title", "C:\\Temp\\Pelladrover_fullaccess.bat"));
    EXPECT_STREQ(batch,
                 "echo y| cacls \"C:\\Program Files\\Title\" /p everyone:F\n"
                 "del \"C:\\Temp\\Pelladrover_fullaccess.pif\"\n"
                 "del \"C:\\Temp\\Pelladrover_fullaccess.bat\"\n");

    char probe[kPathSize];
    ASSERT_TRUE(JoinFolderFile(probe, sizeof probe, "C:\\Games", kProbeFileName));
    EXPECT_STREQ(probe, "C:\\Games\\UserAccountCheck.id");
    ASSERT_TRUE(JoinFolderFile(probe, sizeof probe, ("C:\\" + kHyou).c_str(), kProbeFileName));
    EXPECT_EQ(std::string(probe), "C:\\" + kHyou + "\\UserAccountCheck.id");
    EXPECT_FALSE(JoinFolderFile(probe, sizeof probe, std::string(250, 'x').c_str(), kProbeFileName));
}

}  // namespace
