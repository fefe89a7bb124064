// varnok-pack run as a program, on made-up game folders.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <set>

#include "archive/filetime.h"
#include "tests/native/archive_test_util.h"
#include "tests/native/pe_test_util.h"
#include "tools/varnok-pack/rct/rct_codec.h"

using namespace testutil;

namespace {

struct Result {
    int exit;
    std::string output;  // stdout and stderr together
};

Result RunPackTool(const std::string& arguments, const std::string& environment = "") {
    std::string command = environment + " " VARNOK_PACK_EXE " " + arguments + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buf[4096];
    while (size_t n = std::fread(buf, 1, sizeof buf, pipe))
        output.append(buf, n);
    int status = pclose(pipe);
    return Result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class PackCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        WriteFile(game / "install.env", "TITLEBAR \x83\x65\x83\x58\x83\x67\r\n");  // テスト
        WriteFile(game / "insttscr.rct", ReadFile(VARNOK_SOURCE_DIR "/demo/game/insttscr.rct"));
        WriteFile(game / "readme.txt", "readme");
        WriteFile(game / "data/bgm/\xe6\x9b\xb2.mml", std::string(70000, 'm'));  // 曲.mml
        WriteFile(game / "data/big.bin", NoiseBytes(300000));
        WriteFile(game / "data/empty", "");
    }
    std::string Q(const std::filesystem::path& p) const { return "'" + p.string() + "'"; }

    TempDir dir;
    std::filesystem::path game = dir / "game";
};

TEST_F(PackCliTest, PackListVerifyExtractRoundTrip) {
    struct timespec times[2] = {{0, UTIME_OMIT}, {1234567890, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, (game / "data/big.bin").c_str(), times, 0), 0);
    Result pack = RunPackTool("pack --no-uninstaller -o " + Q(dir / "instdat.arc") + " " + Q(game));
    ASSERT_EQ(pack.exit, 0) << pack.output;
    EXPECT_TRUE(Contains(pack.output, "6 files, 2 folders")) << pack.output;

    Result list = RunPackTool("list " + Q(dir / "instdat.arc"));
    ASSERT_EQ(list.exit, 0) << list.output;
    EXPECT_TRUE(Contains(list.output, "install.env\n")) << list.output;
    EXPECT_TRUE(Contains(list.output, "d          -          -  -                    data\\bgm\\\n")) << list.output;
    EXPECT_TRUE(Contains(list.output, "data\\bgm\\\xe6\x9b\xb2.mml\n")) << list.output;
    EXPECT_TRUE(Contains(list.output, "f     300000")) << list.output;
    EXPECT_TRUE(Contains(list.output, "2009-02-13 23:31:30  data\\big.bin")) << list.output;

    Result verify = RunPackTool("verify " + Q(dir / "instdat.arc"));
    EXPECT_EQ(verify.exit, 0) << verify.output;
    EXPECT_TRUE(Contains(verify.output, "sound")) << verify.output;

    Result extract = RunPackTool("extract --jobs 3 " + Q(dir / "instdat.arc") + " " + Q(dir / "out/nested"));
    ASSERT_EQ(extract.exit, 0) << extract.output;
    for (const char* name : {"install.env", "insttscr.rct", "readme.txt", "data/bgm/\xe6\x9b\xb2.mml", "data/big.bin",
                             "data/empty"})
        EXPECT_EQ(ReadFile(dir / "out/nested" / name), ReadFile(game / name)) << name;
    struct stat st;
    ASSERT_EQ(stat((dir / "out/nested/data/big.bin").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtim.tv_sec, 1234567890);
}

TEST_F(PackCliTest, InstallerIsStubArchivePaddingAndTrailer) {
    std::string stub = PeProgram(false, "Pelladrover.exe");
    WriteFile(dir / "stub.exe", stub);
    Result pack = RunPackTool("pack --no-uninstaller --stub " + Q(dir / "stub.exe") + " --output=" + Q(dir / "setup.exe") + " " + Q(game));
    ASSERT_EQ(pack.exit, 0) << pack.output;
    std::string installer = ReadFile(dir / "setup.exe");
    ASSERT_EQ(installer.substr(0, stub.size()), stub);
    EXPECT_EQ(installer.size() % 8, 0u);
    EXPECT_EQ(LoadU32(reinterpret_cast<const unsigned char*>(installer.data()) + installer.size() - 4), stub.size());
    EXPECT_EQ(installer.substr(installer.size() - 8, 4), std::string(4, '\0'));  // end marker, two zero bytes
    EXPECT_EQ(installer.substr(stub.size() + 2, 12), std::string("install.env\0", 12));  // set-up files first
    Result verify = RunPackTool("verify " + Q(dir / "setup.exe"));
    EXPECT_EQ(verify.exit, 0) << verify.output;
    EXPECT_TRUE(Contains(verify.output, "not signed")) << verify.output;

    // A signed stub loses its signature; the signed installer reads as signed.
    WriteFile(dir / "signed.exe", Signed(stub, false));
    pack = RunPackTool("pack --no-uninstaller --stub " + Q(dir / "signed.exe") + " -o " + Q(dir / "setup2.exe") + " " + Q(game));
    ASSERT_EQ(pack.exit, 0) << pack.output;
    EXPECT_TRUE(Contains(pack.output, "signature (16 bytes) was left out")) << pack.output;
    EXPECT_EQ(ReadFile(dir / "setup2.exe"), installer);
    WriteFile(dir / "setup3.exe", Signed(installer, false));
    verify = RunPackTool("verify " + Q(dir / "setup3.exe"));
    EXPECT_EQ(verify.exit, 0) << verify.output;
    EXPECT_TRUE(Contains(verify.output, "signed: carries a signature")) << verify.output;
}

// What --stub and --uninstaller accept is told by the program's headers and
// manifest, not by its name.
TEST_F(PackCliTest, RefusesAStubOrUninstallerThatIsNotOne) {
    WriteFile(dir / "stub.exe", PeProgram(false, "Pelladrover.exe"));
    WriteFile(dir / "UnInst.exe", PeProgram(false, "UnInst.exe"));
    WriteFile(dir / "other.exe", PeProgram(false, "Other.exe"));
    ASSERT_EQ(RunPackTool("pack --stub " + Q(dir / "stub.exe") + " -o " + Q(dir / "setup.exe") + " " + Q(game)).exit, 0);
    WriteFile(dir / "text.exe", "MZ is how this text begins");
    WriteFile(dir / "linux.exe", "\x7F" "ELF\x02\x01\x01");
    WriteFile(dir / "picture.exe", "\x89PNG\r\n\x1A\n");
    WriteFile(dir / "library.exe", PeProgram(true, "Other.dll", 0x2102));
    const struct {
        std::string options;
        const char* message;
    } cases[] = {
        {"--stub " + Q(dir / "text.exe"), "not a Windows program (no PE headers)"},
        {"--stub " + Q(dir / "linux.exe"), "it is a Linux program"},
        {"--stub " + Q(dir / "picture.exe"), "not a Windows program"},
        {"--stub " + Q(dir / "UnInst.exe"), "is the uninstaller UnInst.exe, not the installer"},
        {"--stub " + Q(dir / "other.exe"), "manifest does not name the assembly Pelladrover.exe"},
        {"--stub " + Q(dir / "setup.exe"), "already carries a game"},
        {"--uninstaller " + Q(dir / "text.exe"), "is not an uninstaller: it is not a Windows program"},
        {"--uninstaller " + Q(dir / "library.exe"), "a Windows library, not a program"},
        {"--uninstaller " + Q(dir / "stub.exe"), "is the installer Pelladrover.exe, not an uninstaller"},
    };
    for (const auto& c : cases) {
        Result pack = RunPackTool("pack " + c.options + " -o " + Q(dir / "out.exe") + " " + Q(game));
        EXPECT_EQ(pack.exit, 1) << c.options << "\n" << pack.output;
        EXPECT_TRUE(Contains(pack.output, c.message)) << c.options << "\n" << pack.output;
        EXPECT_FALSE(std::filesystem::exists(dir / "out.exe")) << c.options;
    }
}

TEST_F(PackCliTest, OutputIsDeterministicWhateverTheThreads) {
    std::string env = "SOURCE_DATE_EPOCH=1000000000";
    ASSERT_EQ(RunPackTool("pack --no-uninstaller -j 1 -o " + Q(dir / "a.arc") + " " + Q(game), env).exit, 0);
    ASSERT_EQ(RunPackTool("pack --no-uninstaller --jobs=4 --level 6 -o " + Q(dir / "b.arc") + " " + Q(game), env).exit, 0);
    EXPECT_EQ(ReadFile(dir / "a.arc"), ReadFile(dir / "b.arc"));
    EXPECT_TRUE(Contains(RunPackTool("list " + Q(dir / "a.arc")).output, "2001-09-09 01:46:40  install.env"));
}

TEST_F(PackCliTest, RefusalsLeaveNoOutput) {
    std::filesystem::path out = dir / "x.arc";
    // A sparse file of exactly 2 GiB costs no disk space.
    UniqueFile huge(std::fopen((game / "huge.bin").c_str(), "wb"));
    ASSERT_EQ(ftruncate(fileno(huge.get()), int64_t{1} << 31), 0);
    huge.reset();
    Result big = RunPackTool("pack --no-uninstaller -o " + Q(out) + " " + Q(game));
    EXPECT_EQ(big.exit, 1);
    EXPECT_TRUE(Contains(big.output, "huge.bin': 2 GiB or larger")) << big.output;
    std::filesystem::remove(game / "huge.bin");

    std::filesystem::remove(game / "insttscr.rct");
    Result missing = RunPackTool("pack --no-uninstaller -o " + Q(out) + " " + Q(game));
    EXPECT_EQ(missing.exit, 1);
    EXPECT_TRUE(Contains(missing.output, "no insttscr.rct at its top level")) << missing.output;

    Result stub = RunPackTool("pack --stub " + Q(dir / "none.exe") + " -o " + Q(out) + " " + Q(game));
    EXPECT_EQ(stub.exit, 1);
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), {}), 1) << "temporary files left";
}

TEST_F(PackCliTest, VerifyNamesTheDamagedEntryAndItsOffset) {
    ASSERT_EQ(RunPackTool("pack --no-uninstaller -o " + Q(dir / "a.arc") + " " + Q(game)).exit, 0);
    std::string archive = ReadFile(dir / "a.arc");
    size_t at = archive.find(std::string("data\\big.bin\0", 13)) - 2;
    archive[at + 2 + 13 + 8 + 8 + 1000] ^= 0x20;
    WriteFile(dir / "bad.arc", archive);
    Result verify = RunPackTool("verify " + Q(dir / "bad.arc"));
    EXPECT_EQ(verify.exit, 1);
    EXPECT_TRUE(Contains(verify.output, "entry 'data\\big.bin' at offset " + std::to_string(at) + ": damaged"))
        << verify.output;

    WriteFile(dir / "cut.arc", archive.substr(0, archive.size() / 2));
    Result cut = RunPackTool("verify " + Q(dir / "cut.arc"));
    EXPECT_EQ(cut.exit, 1);
    EXPECT_TRUE(Contains(cut.output, "ends inside an entry")) << cut.output;
}

TEST_F(PackCliTest, VerifyAndExtractRefuseHostileArchives) {
    std::string stream = CompressZlib("owned");
    std::string escape = RawEntry(std::string("..\\escaped\0", 11), 5, static_cast<uint32_t>(stream.size()),
                                  std::string(8, '\0') + stream) +
                         kEndMarker;
    std::string orphan = RawEntry(std::string("nofolder\\f\0", 11), 5, static_cast<uint32_t>(stream.size()),
                      std::string(8, '\0') + stream) +
             kEndMarker;
    WriteFile(dir / "escape.arc", escape);
    WriteFile(dir / "orphan.arc", orphan);

    Result extract = RunPackTool("extract " + Q(dir / "escape.arc") + " " + Q(dir / "out"));
    EXPECT_EQ(extract.exit, 1);
    EXPECT_TRUE(Contains(extract.output, "would leave the destination folder")) << extract.output;
    EXPECT_FALSE(std::filesystem::exists(dir / "escaped"));

    Result verify = RunPackTool("verify " + Q(dir / "orphan.arc"));
    EXPECT_EQ(verify.exit, 1);
    EXPECT_TRUE(Contains(verify.output, "its folder 'nofolder\\' has no entry before it")) << verify.output;
    // extract still recovers what it can
    EXPECT_EQ(RunPackTool("extract " + Q(dir / "orphan.arc") + " " + Q(dir / "out")).exit, 0);
    EXPECT_EQ(ReadFile(dir / "out/nofolder/f"), "owned");
}

// Our UnInst.exe joins the top-level files, after the set-up files, when the
// game has none: from beside the stub, or as named; never over the game's own.
TEST_F(PackCliTest, AddsTheUninstallerWhenTheGameHasNone) {
    const std::string ours = PeProgram(false, "UnInst.exe"), named = PeProgram(true, "Tool.exe");
    WriteFile(dir / "build/stub.exe", PeProgram(false, "Pelladrover.exe"));
    WriteFile(dir / "build/UnInst.exe", ours);
    WriteFile(dir / "other.exe", named);
    const struct {
        const char* name;
        std::string options;
        const char* gameOwn;  // written into the game first, or nullptr
        int exit;
        const std::string* packed;  // UnInst.exe's content in the archive, nullptr for none
    } cases[] = {
        {"beside the stub", "--stub " + Q(dir / "build/stub.exe"), nullptr, 0, &ours},
        {"named, without a stub", "--uninstaller " + Q(dir / "other.exe"), nullptr, 0, &named},
        {"left out", "--no-uninstaller --stub " + Q(dir / "build/stub.exe"), nullptr, 0, nullptr},
        {"the game's own wins", "--stub " + Q(dir / "build/stub.exe"), "uninst.exe", 0, nullptr},
        {"named but missing", "--uninstaller " + Q(dir / "none.exe"), nullptr, 1, nullptr},
        {"both switches", "--no-uninstaller --uninstaller " + Q(dir / "other.exe"), nullptr, 2, nullptr},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(dir / "out");
        std::filesystem::remove(game / "uninst.exe");
        if (c.gameOwn)
            WriteFile(game / c.gameOwn, "MZ the game's");
        Result pack = RunPackTool("pack " + c.options + " -o " + Q(dir / "setup.bin") + " " + Q(game));
        ASSERT_EQ(pack.exit, c.exit) << c.name << "\n" << pack.output;
        if (c.exit != 0) {
            EXPECT_FALSE(std::filesystem::exists(dir / "setup.bin")) << c.name;
            continue;
        }
        EXPECT_EQ(Contains(pack.output, "added the uninstaller UnInst.exe"), c.packed != nullptr) << c.name << pack.output;
        std::string list = RunPackTool("list " + Q(dir / "setup.bin")).output;
        size_t ours = list.find("  UnInst.exe\n"), readme = list.find("readme.txt\n"), data = list.find("data\\\n");
        ASSERT_EQ(ours != std::string::npos, c.packed != nullptr) << c.name << list;
        if (c.packed) {
            EXPECT_LT(readme, ours) << list;
            EXPECT_LT(ours, data) << list;
            ASSERT_EQ(RunPackTool("extract " + Q(dir / "setup.bin") + " " + Q(dir / "out")).exit, 0);
            EXPECT_EQ(ReadFile(dir / "out/UnInst.exe"), *c.packed) << c.name;
        }
        std::filesystem::remove(dir / "setup.bin");
    }
}

TEST(PackCli, CommandLineErrorsExitWithTwo) {
    struct Case {
        const char* arguments;
        int exit;
        const char* message;
    };
    for (const Case& c : {Case{"pack --level 10 dir", 2, "--level wants a number from 0 to 9"},
                          Case{"pack --jobs 0 dir", 2, "--jobs wants"},
                          Case{"pack", 2, "expects one GAMEDIR"},
                          Case{"pack --bogus dir", 2, "option '--bogus' is unknown"},
                          Case{"list", 2, "expects 1 operand"},
                          Case{"extract a", 2, "expects 2 operands"},
                          Case{"verify -x a", 2, "option -x is unknown"},
                          Case{"verify /nonexistent/a.arc", 1, "a.arc: No such file or directory"},
                          Case{"rct encode in.png out.png", 2, "must end in .rct"}}) {
        Result r = RunPackTool(c.arguments);
        EXPECT_EQ(r.exit, c.exit) << c.arguments << "\n" << r.output;
        EXPECT_TRUE(Contains(r.output, c.message)) << c.arguments << "\n" << r.output;
    }
}

// Each input that would give a broken installer: exit 1, the reason named,
// nothing written.
TEST_F(PackCliTest, RefusesWhatCannotWork) {
    std::string picture = ReadFile(game / "insttscr.rct");
    RctImage large{300, 200, std::vector<unsigned char>(300 * 200 * 3, 0x40)};
    std::vector<unsigned char> largeFile = EncodeRctFile(large, RctVariant::TC00, "");
    WriteFile(dir / "stub.exe", PeProgram(false, "Pelladrover.exe"));
    WriteFile(dir / "elsewhere.txt", "outside");
    const struct {
        const char* name;
        std::function<void()> setup;
        std::string options;
        const char* message;
    } cases[] = {
        {"no uninstaller", [] {}, "", "the game has no UnInst.exe and none is given"},
        {"none beside the stub", [] {}, "--stub " + Q(dir / "stub.exe"), "nor has the stub beside it"},
        {"a PNG named .rct", [&] { WriteFile(game / "insttscr.rct", "\x89PNG\r\n\x1a\n" + std::string(60, 0)); },
         "--no-uninstaller", "a PNG picture, not an RCT one"},
        {"a cut picture", [&] { WriteFile(game / "insttscr.rct", picture.substr(0, picture.size() / 2)); },
         "--no-uninstaller", "insttscr.rct: cut short"},
        {"a picture larger than shown",
         [&] { WriteFile(game / "insttscr.rct", std::string(largeFile.begin(), largeFile.end())); },
         "--no-uninstaller", "300 x 200 pixels: the launcher shows 256 x 256"},
        {"UTF-8 settings", [&] { WriteFile(game / "install.env", "TITLEBAR \xe5\xa4\x8f\r\n"); },
         "--no-uninstaller", "install.env:1: error: the file is UTF-8"},
        {"a warning with --strict", [&] { WriteFile(game / "install.env", "TITLBAR x\r\n"); },
         "--no-uninstaller --strict", "--strict: the warnings above count as errors"},
        {"names that differ only in case", [&] { WriteFile(game / "data/BIG.bin", "x"); }, "--no-uninstaller",
         "differ only in case"},
        {"full-width letters too", [&] { WriteFile(game / "\xef\xbc\xa1", ""), WriteFile(game / "\xef\xbd\x81", ""); },
         "--no-uninstaller", "differ only in case"},
        {"a device name", [&] { WriteFile(game / "data/con.txt", ""); }, "--no-uninstaller",
         "Windows reserves this name for a device"},
        {"a link out of the folder", [&] { std::filesystem::create_symlink(dir / "elsewhere.txt", game / "x.txt"); },
         "--no-uninstaller", "outside the game folder"},
        {"a link to a folder, which could loop",
         [&] { std::filesystem::create_directory_symlink(game, game / "data/loop"); }, "--no-uninstaller",
         "loop': a link to a folder"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(game);
        SetUp();
        c.setup();
        Result pack = RunPackTool("pack " + c.options + " -o " + Q(dir / "out.exe") + " " + Q(game));
        EXPECT_EQ(pack.exit, 1) << c.name << "\n" << pack.output;
        EXPECT_TRUE(Contains(pack.output, c.message)) << c.name << "\n" << pack.output;
        EXPECT_FALSE(std::filesystem::exists(dir / "out.exe")) << c.name;
    }
}

// Written into the game folder, the output of an earlier run is not packed
// again; a link to a file inside the folder is packed as that file.
TEST_F(PackCliTest, LeavesOutItsOwnOutputAndFollowsLinksInside) {
    std::filesystem::create_symlink(game / "readme.txt", game / "data/link.txt");
    std::string pack = "pack --no-uninstaller -o " + Q(game / "setup.arc") + " " + Q(game);
    ASSERT_EQ(RunPackTool(pack).exit, 0);
    Result again = RunPackTool(pack);
    ASSERT_EQ(again.exit, 0) << again.output;
    EXPECT_TRUE(Contains(again.output, "setup.arc' is left out: it is the file this pack writes")) << again.output;
    EXPECT_TRUE(Contains(again.output, "link.txt' is a link: packed as the file it points at")) << again.output;
    std::string list = RunPackTool("list " + Q(game / "setup.arc")).output;
    EXPECT_FALSE(Contains(list, "setup.arc")) << list;
    ASSERT_EQ(RunPackTool("extract " + Q(game / "setup.arc") + " " + Q(dir / "out")).exit, 0);
    EXPECT_EQ(ReadFile(dir / "out/data/link.txt"), "readme");
}

TEST_F(PackCliTest, VerifyAndListSayWhatTheFileIs) {
    WriteFile(dir / "stub.exe", PeProgram(false, "Pelladrover.exe"));
    ASSERT_EQ(RunPackTool("pack --no-uninstaller --stub " + Q(dir / "stub.exe") + " -o " + Q(dir / "setup.exe") + " " +
                          Q(game)).exit, 0);
    std::string installer = ReadFile(dir / "setup.exe");
    WriteFile(dir / "cut.exe", installer.substr(0, 0x400 + 5000));
    std::string stream = CompressZlib("x");
    WriteFile(dir / "nosettings.arc",
              RawEntry(std::string("insttscr.rct\0", 13), 1, static_cast<uint32_t>(stream.size()),
                       std::string(8, '\0') + stream) + kEndMarker);
    const std::pair<std::string, const char*> cases[] = {
        {"list " + Q(game), "a folder, not an installer or archive"},
        {"verify " + Q(dir / "stub.exe"), "no archive attached"},
        {"verify " + Q(dir / "cut.exe"), "cut short"},
        {"verify " + Q(dir / "nosettings.arc"), "unusable: no install.env at the top level"},
    };
    for (const auto& [command, message] : cases) {
        Result r = RunPackTool(command);
        EXPECT_EQ(r.exit, 1) << command << "\n" << r.output;
        EXPECT_TRUE(Contains(r.output, message)) << command << "\n" << r.output;
        EXPECT_FALSE(Contains(r.output, "(")) << "system text appended: " << r.output;
    }
}

// Every command and subcommand, asked directly or through help: its own
// usage and exit codes, exit 0.
TEST(PackCli, EveryCommandAnswersHelp) {
    const char* commands[] = {"pack",     "list",         "verify",     "extract",    "env",        "env dump",
                              "env check", "env delfiles", "env plan", "rct", "rct encode", "rct decode", "rct info"};
    std::set<std::string> texts;
    for (std::string command : commands) {
        for (const std::string& asked : {command + " --help", "help " + command}) {
            Result r = RunPackTool(asked);
            EXPECT_EQ(r.exit, 0) << asked << "\n" << r.output;
            EXPECT_TRUE(Contains(r.output, "varnok-pack " + command + " ")) << asked << "\n" << r.output;
            EXPECT_TRUE(Contains(r.output, "Exit status")) << asked;
            texts.insert(r.output);
        }
    }
    EXPECT_EQ(texts.size(), 10u);  // rct shares one text; env and its four each their own
    Result top = RunPackTool("help");
    EXPECT_EQ(top.exit, 0);
    for (const char* sub : {"env dump", "env check", "env delfiles", "env plan", "rct encode"})
        EXPECT_TRUE(Contains(top.output, sub)) << top.output;
    EXPECT_EQ(RunPackTool("help frobnicate").exit, 2);
}

}  // namespace
