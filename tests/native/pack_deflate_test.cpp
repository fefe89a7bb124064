// The packer's parallel compressor and its reading of a game folder.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cmath>
#include <memory>
#include <utility>

#include "archive/filetime.h"
#include "tests/native/archive_test_util.h"
#include "tools/varnok-pack/pack/deflate_join.h"
#include "tools/varnok-pack/pack/deflate_policy.h"
#include "tools/varnok-pack/pack/game_folder.h"
#include "tools/varnok-pack/pack/parallel_deflate.h"

using namespace testutil;

namespace {

// What an entropy coder leaves: noise with one byte in `every` drawn from
// sixteen values, which deflate shrinks by a percent or two.
std::string CodedBytes(size_t n, size_t every) {
    std::string out = NoiseBytes(n, 7);
    for (size_t i = 0; i < n; i += every)
        out[i] = static_cast<char>(out[i] & 0x0F);
    return out;
}

// 16-bit sound: a tone under a slow envelope with a little noise, whose
// repeats are few and short.
std::string Sound(size_t n) {
    std::string noise = NoiseBytes(n / 2 + 1, 11);
    std::string out;
    for (size_t i = 0; out.size() < n; ++i) {
        double envelope = 1.0 - static_cast<double>(i % 40000) / 40000;
        auto v = static_cast<int16_t>(8000 * envelope * std::sin(static_cast<double>(i) * 0.031) + (noise[i] & 7));
        out += static_cast<char>(v & 0xFF);
        out += static_cast<char>((v >> 8) & 0xFF);
    }
    return out.substr(0, n);
}

std::string Text(size_t n) {
    std::string text;
    while (text.size() < n)
        text += "line " + std::to_string(text.size() % 977) + " of a repetitive text\n";
    return text.substr(0, n);
}

std::string Inflate(const std::string& stream, size_t size) {
    std::string out(size + 1, '\0');
    uLongf n = static_cast<uLongf>(out.size());
    int rc = uncompress(reinterpret_cast<Bytef*>(out.data()), &n, reinterpret_cast<const Bytef*>(stream.data()),
                        static_cast<uLong>(stream.size()));
    if (rc != Z_OK)
        return "<zlib error " + std::to_string(rc) + ">";
    out.resize(n);
    return out;
}

std::string RawDeflate(const std::string& data, int level) {
    std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> c(libdeflate_alloc_compressor(level),
                                                                              libdeflate_free_compressor);
    std::string out(libdeflate_deflate_compress_bound(c.get(), data.size()), '\0');
    out.resize(libdeflate_deflate_compress(c.get(), data.data(), data.size(), out.data(), out.size()));
    return out;
}

// Each file's stream, joined from its pieces, checking the pieces' order.
std::vector<std::string> DeflateAll(const std::vector<DeflateSource>& sources, int threads, DeflateLimits limits) {
    ParallelDeflater deflater(sources, threads, 6, limits);
    std::vector<std::string> streams(sources.size());
    for (size_t file = 0; file < sources.size(); ++file) {
        for (;;) {
            DeflatePiece piece;
            std::string error;
            EXPECT_TRUE(deflater.Next(piece, error)) << error;
            EXPECT_EQ(piece.file, file);
            streams[file] += piece.data;
            if (piece.last || !error.empty())
                break;
        }
    }
    return streams;
}

class DeflateTest : public ::testing::Test {
protected:
    std::vector<DeflateSource> Sources(const std::vector<std::string>& contents) {
        std::vector<DeflateSource> sources;
        for (size_t i = 0; i < contents.size(); ++i) {
            std::filesystem::path p = dir / ("f" + std::to_string(i));
            WriteFile(p, contents[i]);
            sources.push_back(DeflateSource{p.string(), static_cast<int64_t>(contents[i].size())});
        }
        return sources;
    }
    TempDir dir;
};

// Small limits put chunk edges everywhere: a chunk that ends the file
// exactly, a last one of a few KiB, several in a row.
TEST_F(DeflateTest, ChunkedAndWholeStreamsInflateToTheInput) {
    std::string text = Text(300000);
    std::vector<std::string> contents = {"", "small", text, NoiseBytes(200000), text.substr(0, 120000),
                                         NoiseBytes(40000 * 3), CodedBytes(130000, 6), CodedBytes(30000, 6)};
    DeflateLimits limits{50000, 40000};
    std::vector<std::string> one = DeflateAll(Sources(contents), 1, limits);
    std::vector<std::string> three = DeflateAll(Sources(contents), 3, limits);
    for (size_t i = 0; i < contents.size(); ++i) {
        EXPECT_EQ(one[i].substr(0, 2), "\x78\x9C") << i;
        EXPECT_EQ(Inflate(one[i], contents[i].size()), contents[i]) << i;
        EXPECT_EQ(one[i], three[i]) << "threads changed the output of file " << i;
    }
}

// Streams made apart at every kind of block (stored, fixed, dynamic), whose
// ends fall on every bit of their last byte, inflate with zlib as one when
// all but the last are unfinished; a stream that does not give back its
// input is refused.
TEST(DeflateJoin, UnfinishedStreamsInflateAsOne) {
    std::string text = Text(200000);
    std::vector<std::string> parts = {"", NoiseBytes(70000), text.substr(0, 70000), Sound(30000)};
    for (size_t n = 1; n < 40; ++n)
        parts.push_back(text.substr(n * 131, n * n * 7));
    for (int level : {0, 1, 6, 12}) {
        std::string joined = ZlibHeader(6);
        std::string expected;
        for (size_t i = 0; i < parts.size(); ++i) {
            size_t start = joined.size();
            joined += RawDeflate(parts[i], level);
            auto* input = reinterpret_cast<const unsigned char*>(parts[i].data());
            if (i + 1 < parts.size()) {
                ASSERT_EQ(UnfinishDeflateStream(joined, start, input, parts[i].size()), "") << level << " " << i;
            }
            expected += parts[i];
        }
        uLong adler = adler32(1, reinterpret_cast<const Bytef*>(expected.data()), static_cast<uInt>(expected.size()));
        for (int shift = 24; shift >= 0; shift -= 8)
            joined += static_cast<char>((adler >> shift) & 0xFF);
        EXPECT_EQ(Inflate(joined, expected.size()), expected) << level;
    }
    std::string stream = RawDeflate(text, 6);
    EXPECT_NE(UnfinishDeflateStream(stream, 0, reinterpret_cast<const unsigned char*>("other"), 5), "");
}

// A large container of noise, text and sound: its chunks, cut into stored
// noise and compressed stretches, make one stream no larger than zlib's.
TEST_F(DeflateTest, LargeMixedFileIsOneStreamNoLargerThanZlibs) {
    std::string content;
    for (uint32_t i = 0; content.size() < 3000000; ++i)
        content += i % 3 == 0 ? NoiseBytes(150000 + i * 1000, i) : i % 3 == 1 ? Text(90000 + i * 777) : Sound(120000);
    std::vector<std::string> streams = DeflateAll(Sources({content}), 2, DeflateLimits{1 << 20, 512 << 10});
    EXPECT_EQ(Inflate(streams[0], content.size()), content);
    EXPECT_LE(streams[0].size(), CompressZlib(content).size());
}

// Data that does not shrink is stored; one compressible stretch is enough
// to have the whole file compressed.
TEST_F(DeflateTest, StoresOnlyWhatDoesNotShrink) {
    std::string noise = NoiseBytes(400000);
    std::string mixed = noise.substr(0, 200000) + std::string(50000, 'z') + noise.substr(250000);
    std::vector<std::string> contents = {noise, mixed};
    std::vector<std::string> streams = DeflateAll(Sources(contents), 2, DeflateLimits{});
    for (size_t i = 0; i < contents.size(); ++i) {
        EXPECT_EQ(streams[i].substr(0, 2), "\x78\x9C") << i;
        EXPECT_EQ(Inflate(streams[i], contents[i].size()), contents[i]) << i;
    }
    EXPECT_LE(streams[0].size(), noise.size() + noise.size() / 1000);
    EXPECT_LT(streams[1].size(), mixed.size() - 45000);
}

// The sample tells the kinds of data apart: what does not shrink, what
// shrinks a little, what shrinks to more than half, what shrinks more.
// Sizes cross the one-window and eight-window samples.
TEST(DeflatePolicy, SampleTellsTheKindOfData) {
    std::string noise = NoiseBytes(600000);
    struct Case {
        const char* what;
        std::string data;
        DeflateKind kind;
    };
    const Case cases[] = {
        {"empty", "", DeflateKind::Store},
        {"a few bytes", "small", DeflateKind::Store},
        {"noise", noise, DeflateKind::Store},
        {"small noise", noise.substr(0, 5000), DeflateKind::Store},
        {"coded", CodedBytes(600000, 6), DeflateKind::Compressed},
        {"small coded", CodedBytes(20000, 6), DeflateKind::Compressed},
        {"barely coded", CodedBytes(600000, 40), DeflateKind::Store},
        {"sound", Sound(600000), DeflateKind::Binary},
        {"small sound", Sound(20000), DeflateKind::Binary},
        {"noise ending in text", noise.substr(0, 500000) + Text(100000), DeflateKind::Binary},
        {"text", Text(600000), DeflateKind::Repetitive},
        {"small text", Text(3000), DeflateKind::Repetitive},
    };
    ByteBuffer scratch;
    std::unique_ptr<libdeflate_compressor, void (*)(libdeflate_compressor*)> sampler(
        libdeflate_alloc_compressor(SampleLibdeflateLevel(6)), libdeflate_free_compressor);
    for (const Case& c : cases) {
        auto* data = reinterpret_cast<const unsigned char*>(c.data.data());
        DeflateSample sample = SampleDeflate(sampler.get(), data, c.data.size(), scratch);
        EXPECT_LE(sample.in, std::min<size_t>(c.data.size(), 64 << 10)) << c.what;
        EXPECT_EQ(ClassifySample(sample), c.kind) << c.what << ": " << sample.out << " of " << sample.in;
    }
}

// Runs of 64 KiB or more of noise windows are stored, shorter ones and
// anything with repeats or skewed bytes compressed.
TEST(DeflatePolicy, StoresOnlyLongRunsOfNoise) {
    std::string noise = NoiseBytes(200000);
    std::string text = Text(100000);
    struct Case {
        const char* what;
        std::string data;
        std::vector<std::pair<size_t, bool>> stretches;
    };
    const Case cases[] = {
        {"empty", "", {{0, false}}},
        {"text", text, {{100000, false}}},
        {"coded", CodedBytes(100000, 6), {{100000, false}}},
        {"noise", noise.substr(0, 131172), {{131072, true}, {100, false}}},
        {"a short run of noise", noise.substr(0, 49152) + text, {{149152, false}}},
        {"noise amid text", text.substr(0, 16384) + noise.substr(0, 65536) + text, {{16384, false}, {65536, true}, {100000, false}}},
    };
    for (const Case& c : cases) {
        std::vector<std::pair<size_t, bool>> found;
        for (DeflateStretch s : FindNoise(reinterpret_cast<const unsigned char*>(c.data.data()), c.data.size()))
            found.emplace_back(s.length, s.store);
        EXPECT_EQ(found, c.stretches) << c.what;
    }
}

// What each kind costs against zlib's level 6: storing noise costs only the
// stored blocks' headers, the fastest level on coded data stays within 0.1%
// and the lazy search on text within 1%; near-optimal parsing on sound wins
// back more than that, so that a mix of them is no larger than zlib's.
TEST_F(DeflateTest, EachKindKeepsUpWithZlib) {
    std::vector<std::string> contents = {NoiseBytes(400000), CodedBytes(400000, 6), Text(400000), Sound(400000)};
    std::vector<std::string> streams = DeflateAll(Sources(contents), 2, DeflateLimits{});
    std::vector<size_t> zlib;
    for (const std::string& c : contents)
        zlib.push_back(CompressZlib(c).size());
    EXPECT_LE(streams[0].size(), contents[0].size() + contents[0].size() / 1000);
    EXPECT_LE(streams[1].size(), zlib[1] * 1001 / 1000);
    EXPECT_LE(streams[2].size(), zlib[2] * 101 / 100);
    EXPECT_LE(streams[3].size() + streams[2].size(), zlib[3] + zlib[2]);
}

TEST_F(DeflateTest, ManySmallFilesUnderATightBudgetComeBackInOrder) {
    std::vector<std::string> contents;
    for (int i = 0; i < 60; ++i)
        contents.push_back(std::string(static_cast<size_t>(i * 997), static_cast<char>('a' + i % 26)));
    std::vector<std::string> streams = DeflateAll(Sources(contents), 4, DeflateLimits{4096, 4096});
    for (size_t i = 0; i < contents.size(); ++i)
        EXPECT_EQ(Inflate(streams[i], contents[i].size()), contents[i]) << i;
}

TEST_F(DeflateTest, FileThatChangedSizeIsAnError) {
    std::vector<DeflateSource> sources = Sources({"12345", "abc"});
    for (int64_t claimed : {4, 6}) {
        sources[0].size = claimed;
        ParallelDeflater deflater(sources, 2, 6);
        DeflatePiece piece;
        std::string error;
        EXPECT_FALSE(deflater.Next(piece, error)) << claimed;
        EXPECT_NE(error.find("f0"), std::string::npos) << error;
    }
}

TEST(ZlibHeader, MatchesZlibForEveryLevel) {
    for (int level = 0; level <= 9; ++level)
        EXPECT_EQ(ZlibHeader(level), CompressZlib("x", level).substr(0, 2)) << level;
}

class GameFolderTest : public ::testing::Test {
protected:
    void Touch(const std::string& name, const std::string& content = "x") { WriteFile(dir / name, content); }
    std::vector<std::string> Names() {
        std::vector<GameEntry> entries;
        std::string error;
        EXPECT_TRUE(ScanGameFolder(dir.path.string(), std::nullopt, entries, error)) << error;
        std::vector<std::string> names;
        for (const GameEntry& e : entries)
            names.push_back(e.archiveName);
        return names;
    }
    std::string Refusal() {
        std::vector<GameEntry> entries;
        std::string error;
        EXPECT_FALSE(ScanGameFolder(dir.path.string(), std::nullopt, entries, error));
        return error;
    }
    TempDir dir;
};

TEST_F(GameFolderTest, OrdersSetupFilesFirstThenFoldersInPreOrder) {
    for (const char* name : {"zeta.dat", "Readme.txt", "insttscr.rct", "alpha.dat", "install.env", "b.txt",
                             "data/z.bin", "data/a.bin", "data/bgm/t.mml", "data/scenario/s.vks", "Art/p.png"})
        Touch(name);
    std::filesystem::create_directories(dir / "data/empty");
    Touch("\xe8\xa1\xa8/\xe3\x82\xbd.txt");  // 表/ソ.txt in UTF-8
    EXPECT_EQ(Names(), (std::vector<std::string>{
                           "install.env", "insttscr.rct", "Readme.txt", "b.txt", "alpha.dat", "zeta.dat",
                           "Art\\", "Art\\p.png",
                           "data\\", "data\\a.bin", "data\\z.bin", "data\\bgm\\", "data\\bgm\\t.mml",
                           "data\\empty\\", "data\\scenario\\", "data\\scenario\\s.vks",
                           "\x95\x5C\\", "\x95\x5C\\\x83\x5C.txt",
                       }));
}

TEST_F(GameFolderTest, RefusesWhatTheInstallerCannotCarry) {
    Touch("install.env");
    EXPECT_NE(Refusal().find("no insttscr.rct"), std::string::npos);
    std::filesystem::remove(dir / "install.env");
    Touch("insttscr.rct");
    EXPECT_NE(Refusal().find("no install.env"), std::string::npos);
    Touch("install.env");

    struct Case {
        std::string name;
        const char* message;
    };
    for (const Case& c : {Case{"\xf0\x9f\x98\x80.txt", "no Shift-JIS form"},  // an emoji
                          Case{"a\xc2\xa5" "b.dat", "no Shift-JIS form"},  // ¥ would become a backslash
                          Case{"a:b", "Windows does not allow"},
                          Case{"trailing.", "Windows does not allow"},
                          Case{std::string(200, 'd') + "/" + std::string(59, 'f'), "at most 259"}}) {
        Touch(c.name);
        std::string error = Refusal();
        EXPECT_NE(error.find(c.message), std::string::npos) << c.name << ": " << error;
        std::filesystem::remove_all(dir / c.name.substr(0, c.name.find('/')));
    }
    EXPECT_EQ(Names().size(), 2u);
}

TEST_F(GameFolderTest, SourceDateEpochCapsFileTimes) {
    Touch("install.env");
    Touch("insttscr.rct");
    struct timespec old[2] = {{0, UTIME_OMIT}, {1000, 5}};
    ASSERT_EQ(utimensat(AT_FDCWD, (dir / "install.env").c_str(), old, 0), 0);
    std::vector<GameEntry> entries;
    std::string error;
    ASSERT_TRUE(ScanGameFolder(dir.path.string(), int64_t{5000}, entries, error)) << error;
    EXPECT_EQ(entries[0].fileTime, UnixToFileTime(1000, 0));  // older files keep their time (to 100 ns)
    EXPECT_EQ(entries[1].fileTime, UnixToFileTime(5000, 0));
}

TEST(FileTime, ConvertsBothWays) {
    EXPECT_EQ(UnixToFileTime(0, 0), kFileTimeUnixEpoch);
    // 2008-12-29 20:21:49.375 UTC
    UnixTime t = FileTimeToUnix(0x01C969F31434E4F0ULL);
    EXPECT_EQ(t.seconds, 1230582109);
    EXPECT_EQ(t.nanoseconds, 375000000);
    EXPECT_EQ(UnixToFileTime(t.seconds, t.nanoseconds), 0x01C969F31434E4F0ULL);
    UnixTime before1970 = FileTimeToUnix(kFileTimeUnixEpoch - 5);
    EXPECT_EQ(before1970.seconds, -1);
    EXPECT_EQ(before1970.nanoseconds, 999999500);
    EXPECT_EQ(UnixToFileTime(-20000000000LL, 0), 0u);
}

}  // namespace
