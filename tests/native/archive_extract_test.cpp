// The extraction walk: full and setup passes over archives from the writer,
// progress reporting, and what damaged or hostile archives lead to.
#include <gtest/gtest.h>

#include <zlib.h>

#include "tests/native/archive_test_util.h"

using namespace testutil;

namespace {

// ソ is 0x83 0x5C and 表 is 0x95 0x5C: their second byte is a backslash.
const std::string kSo = "\x83\x5C";
const std::string kHyou = "\x95\x5C";

TEST(ExtractFullPass, RoundTripsNestedFoldersAndShiftJisNames) {
    std::string big = NoiseBytes(3 * ProgressUnit + 17);
    ArchiveBuilder b;
    b.File("install.env", "TITLEBAR x\r\n", 111)
        .Folder("data\\")
        .Folder("data\\" + kHyou + "\\")
        .File("data\\" + kHyou + "\\" + kSo + ".bin", big, 222)
        .Folder("data\\" + kHyou + "\\deep\\")
        .File("data\\" + kHyou + "\\deep\\empty", "", 333);
    std::string archive = b.Bytes();
    ASSERT_TRUE(b.ok());

    RecordingCallback cb;
    ASSERT_EQ(Walk(archive, ExtractModeFull, cb), ArchiveStatus::Ok);
    std::string hyou = "D\\data\\" + kHyou + "\\";
    EXPECT_EQ(cb.folders, (std::vector<std::string>{"D\\data\\", hyou, hyou + "deep\\"}));
    EXPECT_EQ(cb.files["D\\install.env"].Text(), "TITLEBAR x\r\n");
    EXPECT_EQ(cb.files[hyou + kSo + ".bin"].Text(), big);
    EXPECT_EQ(cb.files[hyou + "deep\\empty"].size, 0u);
    EXPECT_EQ(cb.times["D\\install.env"], 111u);
    EXPECT_EQ(cb.times[hyou + kSo + ".bin"], 222u);
    EXPECT_EQ(cb.times[hyou + "deep\\empty"], 333u);  // an empty file gets its time too
}

TEST(ExtractFullPass, EmptyArchiveEndsNormallyWithoutOutput) {
    RecordingCallback cb;
    EXPECT_EQ(Walk(std::string(2, '\0'), ExtractModeFull, cb), ArchiveStatus::Ok);
    EXPECT_TRUE(cb.created.empty());
    EXPECT_TRUE(cb.folders.empty());
}

TEST(ExtractFullPass, ReadsNothingAfterTheEndMarker) {
    std::string archive = ArchiveBuilder().File("a.txt", "A").Bytes() + "garbage after the end marker";
    RecordingCallback cb;
    EXPECT_EQ(Walk(archive, ExtractModeFull, cb), ArchiveStatus::Ok);
    EXPECT_EQ(cb.created, (std::vector<std::string>{"D\\a.txt"}));
}

// Progress comes after every full ProgressUnit written and once more at the
// end only when output was left; the count includes everything requested.
TEST(ExtractProgress, CallsAtExactUnitBoundaries) {
    struct Case {
        size_t size;
        std::vector<int64_t> written;
    };
    const int64_t u = ProgressUnit;
    for (const Case& c : {Case{0, {}}, Case{1, {1}}, Case{static_cast<size_t>(u), {u}},
                          Case{static_cast<size_t>(2 * u), {u, 2 * u}},
                          Case{static_cast<size_t>(2 * u + 1), {u, 2 * u, 2 * u + 1}}}) {
        std::string content = NoiseBytes(c.size, 7);
        std::string stream = CompressZlib(content);
        std::string archive = ArchiveBuilder().File("first", "x").File("f", content).Bytes();
        RecordingCallback cb;
        ASSERT_EQ(Walk(archive, ExtractModeFull, cb), ArchiveStatus::Ok);
        std::vector<int64_t> written;
        for (const auto& p : cb.progress) {
            if (p.file == "D\\f")
                written.push_back(p.written);
        }
        EXPECT_EQ(written, c.written) << "size " << c.size;
        if (!c.written.empty()) {
            // first entry: 6 name bytes + 10 + its stream; this one: 2 + 10 + time + all of its stream
            int32_t before = static_cast<int32_t>(6 + 10 + CompressZlib("x").size());
            EXPECT_EQ(cb.progress.back().count, before + 2 + 10 + 8 + static_cast<int32_t>(stream.size()));
        }
    }
}

TEST(ExtractSetupPass, WritesOnlyTopLevelSetupFilesAndStopsAtTheFirstDeeperFolder) {
    ArchiveBuilder b;
    b.File("install.env", "env")
        .File("insttscr.rct", "pic")
        .File("readme.txt", "readme")
        .File("Game.exe", "exe")
        .File("INSTALL.ENV.bak", "copy")  // matches anywhere in the name, any case
        .Folder("data\\")                 // top level: passed over, the walk goes on
        .File("data\\notes.txt", "below a folder")
        .File("manual.TXT", "after a top-level folder")
        .Folder("data\\bgm\\")  // the first deeper folder ends the pass
        .File("late.txt", "never");
    std::string archive = b.Bytes();
    RecordingCallback cb;
    ASSERT_EQ(Walk(archive, ExtractModeSetup, cb), ArchiveStatus::Ok);
    EXPECT_EQ(cb.created, (std::vector<std::string>{"D\\install.env", "D\\insttscr.rct", "D\\readme.txt",
                                                     "D\\INSTALL.ENV.bak", "D\\manual.TXT"}));
    EXPECT_TRUE(cb.folders.empty());
    EXPECT_EQ(cb.files["D\\insttscr.rct"].Text(), "pic");
}

TEST(ExtractSetupPass, FolderWithoutBackslashCountsAsTopLevel) {
    std::string archive = RawEntry(std::string("data\0", 5), 0xFFFFFFFFu, 0) +
                          ArchiveBuilder().File("readme.txt", "r").Bytes();
    RecordingCallback cb;
    ASSERT_EQ(Walk(archive, ExtractModeSetup, cb), ArchiveStatus::Ok);
    EXPECT_EQ(cb.created, (std::vector<std::string>{"D\\readme.txt"}));
}

TEST(ExtractFailures, DamagedStreamsAreRefusedNamingTheEntry) {
    std::string content = NoiseBytes(1000) + std::string(5000, 'a');
    std::string good = ArchiveBuilder().File("ok.txt", "fine").File("bad.bin", content).Bytes();
    size_t streamAt = good.size() - 4 - CompressZlib(content).size();
    size_t entryAt = 2 + 7 + 8 + 8 + CompressZlib("fine").size();

    struct Damage {
        const char* what;
        size_t at;
    };
    for (const Damage& d : {Damage{"header", streamAt}, Damage{"data", streamAt + 40},
                            Damage{"adler-32", good.size() - 5}}) {
        std::string bad = good;
        bad[d.at] = static_cast<char>(bad[d.at] ^ 0x55);
        RecordingCallback cb;
        ExtractFailure failure;
        EXPECT_EQ(Walk(bad, ExtractModeFull, cb, &failure), ArchiveStatus::BadStream) << d.what;
        EXPECT_STREQ(failure.name, "bad.bin") << d.what;
        EXPECT_EQ(failure.offset, static_cast<int64_t>(entryAt)) << d.what;
        EXPECT_EQ(cb.times.count("D\\bad.bin"), 0u) << d.what;  // no time on a failed file
        EXPECT_EQ(cb.files["D\\ok.txt"].Text(), "fine");           // earlier files stay
    }
}

TEST(ExtractFailures, StreamShorterThanItsCompressedSizeIsRefused) {
    std::string stream = CompressZlib("content") + "xx";
    std::string archive = RawEntry(std::string("a\0", 2), 7, static_cast<uint32_t>(stream.size()),
                                   std::string(8, '\0') + stream) +
                          kEndMarker;
    RecordingCallback cb;
    EXPECT_EQ(Walk(archive, ExtractModeFull, cb), ArchiveStatus::BadStream);
}

TEST(ExtractFailures, EveryTruncationIsRefused) {
    std::string archive = ArchiveBuilder()
                              .File("a.txt", "alpha")
                              .Folder("sub\\")
                              .File("sub\\b.bin", NoiseBytes(300))
                              .Bytes();
    // The last two zero bytes follow the end marker and are never read.
    for (size_t cut = 0; cut + 2 < archive.size(); ++cut) {
        for (ExtractMode mode : {ExtractModeFull, ExtractModeSetup}) {
            RecordingCallback cb;
            ArchiveStatus status = Walk(archive.substr(0, cut), mode, cb);
            // The setup pass ends at its first deeper folder; here there is none,
            // so it reads to the end marker as well.
            ASSERT_NE(status, ArchiveStatus::Ok) << "cut at " << cut << " mode " << mode;
        }
    }
}

TEST(ExtractFailures, OutputThatCannotBeCreatedIsReported) {
    RecordingCallback cb;
    cb.failCreate = true;
    ExtractFailure failure;
    EXPECT_EQ(Walk(ArchiveBuilder().File("a", "x").Bytes(), ExtractModeFull, cb, &failure),
              ArchiveStatus::CannotCreate);
    EXPECT_STREQ(failure.name, "a");
}

TEST(ExtractFailures, JoinedPathOver259BytesIsRefused) {
    std::string name(250, 'n');
    std::string archive = ArchiveBuilder().File(name, "x").Bytes();
    RecordingCallback cb;
    UniqueFile f = FileWith(archive);
    // "DDDDDDDD" + '\\' + 250 = 259 bytes: fits.
    EXPECT_EQ(ExtractArchive(f.get(), "DDDDDDDD", ExtractModeFull, cb), ArchiveStatus::Ok);
    std::rewind(f.get());
    EXPECT_EQ(ExtractArchive(f.get(), "DDDDDDDDD", ExtractModeFull, cb), ArchiveStatus::PathTooLong);
}

TEST(ContainsNoCase, MatchesWholeCharactersRegardlessOfCase) {
    struct Case {
        std::string text;
        const char* pattern;
        bool expected;
    };
    for (const Case& c : {
             Case{"README.TXT", ".txt", true},
             Case{"Install.Env.bak", "install.env", true},
             Case{"a.txt\\b", ".txt", true},
             Case{"readme.tx", ".txt", false},
             // フ is 0x83 0x74: its second byte is 't', which must not start a match.
             Case{"\x83\x74xt", "txt", false},
             // サ is 0x83 0x54: lower-casing must not turn its 'T' into 't'.
             Case{"\x83\x54XT", "\x83\x54xt", true},
             Case{"\x82\x60\x82\x61", "\x82\x81\x82\x82", true},  // full-width ＡＢ and ａｂ
         }) {
        EXPECT_EQ(ContainsNoCase(c.text.c_str(), c.pattern), c.expected) << c.text << " / " << c.pattern;
    }
}

}  // namespace
