// Entry headers, name safety, locating the archive, and the writer's limits.
#include <gtest/gtest.h>

#include "archive/payload_locate.h"
#include "tests/native/archive_test_util.h"
#include "tests/native/pe_test_util.h"

using namespace testutil;

namespace {

ArchiveStatus ReadOne(const std::string& bytes, ArchiveEntry& entry) {
    UniqueFile f = FileWith(bytes);
    return ReadArchiveEntry(f.get(), entry);
}

TEST(ReadArchiveEntry, RefusesHostileHeaders) {
    struct Case {
        const char* what;
        std::string bytes;
        ArchiveStatus expected;
    };
    const uint32_t folder = 0xFFFFFFFFu;
    std::string name260(259, 'n');
    name260 += '\0';
    std::string name261 = std::string(260, 'n') + '\0';
    for (const Case& c : {
             Case{"260-byte name", RawEntry(name260, 0, 8), ArchiveStatus::Ok},
             Case{"261-byte name", RawEntry(name261, 0, 8), ArchiveStatus::NameTooLong},
             Case{"no NUL", RawEntry("abc", 0, 8), ArchiveStatus::NameNotTerminated},
             Case{"empty name", RawEntry(std::string(1, '\0'), 0, 8), ArchiveStatus::NameNotTerminated},
             Case{"size 2^31", RawEntry(std::string("a\0", 2), 0x80000000u, 8), ArchiveStatus::SizeTooLarge},
             Case{"size -2", RawEntry(std::string("a\0", 2), 0xFFFFFFFEu, 8), ArchiveStatus::SizeTooLarge},
             Case{"compressed 2^31", RawEntry(std::string("a\0", 2), 5, 0x80000000u), ArchiveStatus::SizeTooLarge},
             Case{"folder ignores its compressed size", RawEntry(std::string("d\\\0", 3), folder, 0x80000000u),
                  ArchiveStatus::Ok},
             Case{"parent level", RawEntry(std::string("..\\x\0", 5), 0, 8), ArchiveStatus::UnsafeName},
             Case{"drive", RawEntry(std::string("C:\\x\0", 5), 0, 8), ArchiveStatus::UnsafeName},
             Case{"cut inside the name", std::string("\x05\x00" "ab", 4), ArchiveStatus::Truncated},
             Case{"cut inside the sizes", std::string("\x02\x00" "a\0\x01\x00", 6), ArchiveStatus::Truncated},
             Case{"nothing at all", std::string(), ArchiveStatus::Truncated},
         }) {
        ArchiveEntry entry;
        EXPECT_EQ(ReadOne(c.bytes, entry), c.expected) << c.what;
    }
}

TEST(ReadArchiveEntry, LeavesTheStreamAtTheTimeOrTheNextEntry) {
    std::string file = RawEntry(std::string("f\0", 2), 3, 9, "TIMEDATA");
    UniqueFile f = FileWith(file + RawEntry(std::string("d\\\0", 3), 0xFFFFFFFFu, 0));
    ArchiveEntry entry;
    ASSERT_EQ(ReadArchiveEntry(f.get(), entry), ArchiveStatus::Ok);
    EXPECT_EQ(entry.size, 3);
    EXPECT_EQ(entry.compressedSize, 9u);
    EXPECT_EQ(TellFile(f.get()), 2 + 2 + 8);
    ASSERT_TRUE(SeekFile(f.get(), static_cast<int64_t>(file.size()), SEEK_SET));
    ASSERT_EQ(ReadArchiveEntry(f.get(), entry), ArchiveStatus::Ok);
    EXPECT_TRUE(entry.IsFolder());
    EXPECT_STREQ(entry.name, "d\\");
}

TEST(IsSafeEntryName, RefusesEverythingThatLeavesTheDestination) {
    struct Case {
        std::string name;
        bool safe;
    };
    for (const Case& c : {
             Case{"readme.txt", true},
             Case{"data\\bgm\\", true},
             Case{"a\\.\\b", true},
             Case{"..foo", true},
             Case{"\x83\x5C..", true},  // ソ then two dots: the 0x5C is no separator
             Case{"\x83\x5C\\x", true},
             Case{"", false},
             Case{"..", false},
             Case{"..\\x", false},
             Case{"a\\..\\..\\b", false},
             Case{"a/../b", false},
             Case{"a\\...\\b", false},  // Windows trims the dots to ".."
             Case{"a\\. .\\b", false},
             Case{"\\windows\\x", false},
             Case{"/etc/passwd", false},
             Case{"C:x", false},
             Case{"file.txt:stream", false},
             Case{"console.txt", true},
             Case{"data\\com10", true},
             Case{"NUL", false},  // device names open the device, not a file
             Case{"data\\con.txt", false},
             Case{"Com1\\x", false},
             Case{"lpt9 .log", false},
         }) {
        EXPECT_EQ(IsSafeEntryName(c.name.c_str()), c.safe) << c.name;
    }
}

class LocateTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string archive = ArchiveBuilder().File("install.env", "from the archive").Bytes();

    std::string Installer(const std::string& stub, const std::string& between = "") {
        std::string trailer(4, '\0');
        StoreU32(reinterpret_cast<unsigned char*>(trailer.data()), static_cast<uint32_t>(stub.size()));
        return stub + archive + between + trailer;
    }
    // Zero bytes before the trailer that make Installer(stub) `extra` bytes
    // longer than a multiple of 8.
    std::string Padding(const std::string& stub, size_t extra) const {
        return std::string((16 - (stub.size() + archive.size() + 4) % 8 + extra) % 8, '\0');
    }
    static std::string FirstFile(OpenedArchive& opened) {
        UniqueFile f(opened.file);
        RecordingCallback cb;
        EXPECT_EQ(ExtractArchive(f.get(), "D", ExtractModeFull, cb), ArchiveStatus::Ok);
        return cb.files["D\\install.env"].Text();
    }
};

TEST_F(LocateTest, AppendedArchiveIsFoundThroughItsTrailer) {
    WriteFile(dir / "setup.exe", Installer("MZ program image", "extra bytes"));
    OpenedArchive opened = OpenAppendedArchive((dir / "setup.exe").c_str());
    ASSERT_EQ(opened.status, ArchiveStatus::Ok);
    EXPECT_EQ(opened.payloadLength, static_cast<int32_t>(archive.size() + 11));
    EXPECT_EQ(FirstFile(opened), "from the archive");
}

TEST_F(LocateTest, PlainArchiveIsTheWholeFile) {
    WriteFile(dir / "instdat.arc", archive);
    OpenedArchive opened = OpenPlainArchive((dir / "instdat.arc").c_str());
    ASSERT_EQ(opened.status, ArchiveStatus::Ok);
    EXPECT_EQ(opened.payloadLength, static_cast<int32_t>(archive.size()));
    EXPECT_EQ(FirstFile(opened), "from the archive");
}

TEST_F(LocateTest, BadTrailersAreRefused) {
    std::string beyond(4, '\0');
    StoreU32(reinterpret_cast<unsigned char*>(beyond.data()), 1000);
    for (const std::string& content : {std::string("MZ"), std::string("MZ") + beyond}) {
        WriteFile(dir / "bad.exe", content);
        OpenedArchive opened = OpenAppendedArchive((dir / "bad.exe").c_str());
        EXPECT_EQ(opened.status, ArchiveStatus::BadTrailer) << content.size();
        EXPECT_EQ(opened.file, nullptr);
    }
    EXPECT_EQ(OpenAppendedArchive((dir / "missing.exe").c_str()).status, ArchiveStatus::CannotOpen);
}

// Where the archive of a program file ends: before a signer's certificate
// table only when the headers name one that ends at the file's end.
TEST_F(LocateTest, TailsOfSignedAndUnsignedPrograms) {
    struct Case {
        const char* what;
        std::string file;
        ArchiveStatus status;
        bool signature, carried;
        size_t payload;  // archive bytes up to the trailer, when carried
    };
    std::string pe32 = PeProgram(false, "Pelladrover.exe"), pe64 = PeProgram(true, "Pelladrover.exe");
    std::string pad = Padding(pe32, 0), unpadded = Padding(pe32, 1);
    std::string shortTable = Signed(Installer(pe32, pad), false);
    shortTable.pop_back();  // a table that ends a byte after the one named
    StoreU32(At(shortTable, DirectoriesAt(false) + 36), 14);
    const size_t n = archive.size();
    for (const Case& c : {
             Case{"unsigned PE32", Installer(pe32), ArchiveStatus::Ok, false, true, n},
             Case{"unsigned PE32+", Installer(pe64), ArchiveStatus::Ok, false, true, n},
             Case{"padded", Installer(pe32, pad), ArchiveStatus::Ok, false, true, n + pad.size()},
             Case{"signed PE32", Signed(Installer(pe32, pad), false), ArchiveStatus::Ok, true, true, n + pad.size()},
             Case{"signed PE32+", Signed(Installer(pe64, pad), true), ArchiveStatus::Ok, true, true, n + pad.size()},
             // The signer's own padding hides the trailer.
             Case{"signed, unpadded", Signed(Installer(pe32, unpadded), false), ArchiveStatus::Ok, true, false, 0},
             Case{"not a certificate", Signed(Installer(pe32, pad), false, 0x0300), ArchiveStatus::BadTrailer, false,
                  false, 0},
             Case{"table short of the end", shortTable, ArchiveStatus::BadTrailer, false, false, 0},
             Case{"headers only in the tail", Installer("MZ" + pe32.substr(2, 0x3A), pe32.substr(0x40, 0x200)),
                  ArchiveStatus::Ok, false, true, n + 0x200},
         }) {
        WriteFile(dir / "setup.exe", c.file);
        OpenedArchive opened = OpenAppendedArchive((dir / "setup.exe").c_str());
        UniqueFile owner(c.carried ? nullptr : opened.file);
        ASSERT_EQ(opened.status, c.status) << c.what;
        EXPECT_EQ(opened.signature, c.signature) << c.what;
        EXPECT_EQ(opened.carried, c.carried) << c.what;
        if (c.carried) {
            EXPECT_EQ(opened.payloadLength, static_cast<int32_t>(c.payload)) << c.what;
            EXPECT_EQ(FirstFile(opened), "from the archive") << c.what;
        }
    }
}

// instdat.arc serves a program that carries no archive (a disc's layout),
// never one that does (a file planted beside a downloaded installer).
TEST_F(LocateTest, InstdatServesOnlyAProgramWithoutAnArchive) {
    // The program is named 表.exe (0x95 0x5C): the second byte of its first
    // character must not be taken for the end of the folder part.
    std::string program = (dir / "sub" / "\x95\x5C.exe").string();
    std::string stub = PeProgram(false, "Pelladrover.exe");
    StoreU32(At(stub, kImageEnd - 4), 0x100);  // a bare stub's last bytes, pointing into its image
    WriteFile(dir / "instdat.arc", ArchiveBuilder().File("install.env", "wrong folder").Bytes());
    struct Case {
        const char* what;
        std::string program;
        bool instdat;
        const char* expected;  // install.env's text
    } cases[] = {
        {"installer and a planted instdat.arc", Installer(stub), true, "from the archive"},
        {"signed installer and instdat.arc", Signed(Installer(stub, Padding(stub, 0)), false), true,
         "from the archive"},
        {"bare stub and instdat.arc", stub, true, "from instdat"},
        {"signed bare stub and instdat.arc", Signed(stub, false), true, "from instdat"},
    };
    for (const Case& c : cases) {
        WriteFile(program, c.program);
        std::filesystem::remove(dir / "sub" / "instdat.arc");
        if (c.instdat)
            WriteFile(dir / "sub" / "instdat.arc", ArchiveBuilder().File("install.env", "from instdat").Bytes());
        OpenedArchive opened = OpenPayloadArchiveFor(program.c_str());
        ASSERT_EQ(opened.status, ArchiveStatus::Ok) << c.what;
        EXPECT_EQ(FirstFile(opened), c.expected) << c.what;
    }
}

TEST(PayloadWriter, RefusesWhatTheReaderWouldRefuse) {
    UniqueFile f(std::tmpfile());
    PayloadWriter writer(f.get());
    EXPECT_TRUE(writer.AddFolder(std::string(258, 'd') + "\\"));
    EXPECT_FALSE(writer.AddFolder(std::string(259, 'd') + "\\"));
    EXPECT_EQ(writer.LastError(), ArchiveStatus::NameTooLong);
    EXPECT_FALSE(writer.AddFile("..\\evil", 0, 0, CompressZlib("")));
    EXPECT_EQ(writer.LastError(), ArchiveStatus::UnsafeName);
    EXPECT_FALSE(writer.AddFile(std::string("a\0b", 3), 0, 0, CompressZlib("")));
    EXPECT_EQ(writer.LastError(), ArchiveStatus::NameNotTerminated);
    EXPECT_FALSE(writer.AddFile("neg", -5, 0, CompressZlib("")));
    EXPECT_EQ(writer.LastError(), ArchiveStatus::SizeTooLarge);
}

TEST(PayloadWriter, KeepsTheWholeFileBelowTwoGigabytes) {
    UniqueFile f(std::tmpfile());
    std::string stream = CompressZlib("abc");
    // An installer whose image ends just before the limit: the entry, the
    // end marker with its two zero bytes, the trailer and the padding to a
    // multiple of 8 must all fit.
    int64_t entry = 2 + 2 + 8 + 8 + static_cast<int64_t>(stream.size());
    int64_t exact = (int64_t{1} << 31) - 8 - entry - 4 - 4;
    PayloadWriter fits(f.get(), exact);
    EXPECT_TRUE(fits.AddFile("a", 3, 0, stream));
    PayloadWriter over(f.get(), exact + 1);
    EXPECT_FALSE(over.AddFile("a", 3, 0, stream));
    EXPECT_EQ(over.LastError(), ArchiveStatus::SizeTooLarge);
}

TEST(PayloadWriter, StreamedFileEqualsWholeFile) {
    std::string content = NoiseBytes(5000);
    std::string stream = CompressZlib(content);
    UniqueFile whole(std::tmpfile());
    PayloadWriter a(whole.get());
    ASSERT_TRUE(a.AddFile("f.bin", 5000, 42, stream));
    UniqueFile pieces(std::tmpfile());
    PayloadWriter b(pieces.get());
    ASSERT_TRUE(b.BeginFile("f.bin", 5000, 42));
    ASSERT_TRUE(b.AppendFileData(stream.substr(0, 100)));
    ASSERT_TRUE(b.AppendFileData(stream.substr(100)));
    ASSERT_TRUE(b.EndFile());
    std::fflush(whole.get());
    std::fflush(pieces.get());
    EXPECT_EQ(ReadAll(pieces.get()), ReadAll(whole.get()));
    EXPECT_EQ(a.BytesWritten(), b.BytesWritten());
}

}  // namespace
