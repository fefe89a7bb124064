#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>

#include <unistd.h>

#include "tests/native/rct_test_util.h"
#include "tools/varnok-pack/rct/rct_image.h"

namespace {

using Bytes = std::vector<unsigned char>;
constexpr RctVariant kVariants[] = {RctVariant::TC00, RctVariant::TS00, RctVariant::TC01, RctVariant::TS01};

// A load from bytes in memory (through a temporary stream), counting what
// the loader asks for. Pictures over kMaxPixels are refused like a failed
// surface, so mutated headers cannot ask for gigabytes.
class MemoryLoad : public RctLoadCallback {
public:
    static constexpr size_t kMaxPixels = 1 << 20;
    explicit MemoryLoad(Bytes file) : file_(std::move(file)) {}

    FILE* OpenFile(const char*) override {
        ++opens;
        FILE* f = std::tmpfile();
        if (!file_.empty())
            std::fwrite(file_.data(), 1, file_.size(), f);
        std::fflush(f);
        if (sparseLength > 0 && ftruncate(fileno(f), sparseLength) != 0)
            ADD_FAILURE() << "cannot extend the file";
        std::rewind(f);
        return f;
    }
    bool RetryShortFile(const char*) override {
        ++retries;
        if (completeOnRetry)
            file_ = *completeOnRetry;
        return retries <= retriesAllowed;
    }
    unsigned char* CreatePixels(int32_t w, int32_t h, int32_t& s) override {
        size_t bytes = 3 * static_cast<size_t>(w) * static_cast<size_t>(h);
        if (bytes > kMaxPixels)
            return nullptr;
        width = w;
        height = h;
        stride = s = 3 * w;
        pixels.assign(bytes, 0xAA);  // not zero, so that blanking shows
        return pixels.data();
    }
    bool AllZero() const {
        return std::all_of(pixels.begin(), pixels.end(), [](unsigned char b) { return b == 0; });
    }

    int opens = 0, retries = 0, retriesAllowed = 0;
    off_t sparseLength = 0;  // zero bytes after the picture, up to this length
    std::optional<Bytes> completeOnRetry;
    int32_t width = 0, height = 0, stride = 0;
    Bytes pixels;

private:
    Bytes file_;
};

RctLoadStatus Load(MemoryLoad& load) { return LoadRct("pic.rct", load); }

TEST(RctRoundTrip, AwkwardSizesEveryVariant) {
    const std::pair<int32_t, int32_t> sizes[] = {{1, 1}, {1, 4}, {2, 1}, {10, 1}, {10, 3}, {11, 2},
                                                 {11, 4}, {3, 5}, {7, 9}, {64, 48}};
    unsigned seed = 1;
    for (auto [w, h] : sizes) {
        for (int colours : {1, 3, 256}) {
            RctImage image = RandomImage(w, h, colours, seed++);
            Bytes stream = EncodeRctStream(image);
            Bytes packed(image.bgr.size());
            ASSERT_EQ(DecompressRct(stream.data(), stream.size(), packed.data(), w, h),
                      static_cast<int64_t>(stream.size()));
            ASSERT_EQ(packed, image.bgr) << w << "x" << h << " " << colours;
            for (RctVariant v : kVariants) {
                MemoryLoad load(EncodeRctFile(image, v, "name"));
                ASSERT_EQ(Load(load), RctLoadStatus::Ok) << RctVariantName(v);
                EXPECT_EQ(load.pixels, image.bgr) << w << "x" << h << " " << RctVariantName(v);
            }
        }
    }
}

TEST(RctRoundTrip, RunsAndCopiesLongerThanOneCount) {
    // 90000 noisy pixels need two literal runs; one colour needs several copies.
    for (const RctImage& image : {NoiseImage(300, 300, 77), RandomImage(300, 300, 1, 77)}) {
        MemoryLoad load(EncodeRctFile(image, RctVariant::TC00, ""));
        ASSERT_EQ(Load(load), RctLoadStatus::Ok);
        EXPECT_EQ(load.pixels, image.bgr);
    }
    RctImage flat = RandomImage(400, 400, 1, 3);
    EXPECT_LT(EncodeRctFile(flat, RctVariant::TC00, "").size(), 64u);
}

class RctKeyedRoundTrip : public WithRctKey<13, 1> {};

TEST_F(RctKeyedRoundTrip, NonZeroKey) {
    RctImage image = RandomImage(40, 30, 256, 9);  // a stream over one key block
    for (RctVariant v : {RctVariant::TS00, RctVariant::TS01}) {
        Bytes file = EncodeRctFile(image, v, "");
        MemoryLoad load(file);
        EXPECT_EQ(Load(load), RctLoadStatus::Ok);
        EXPECT_EQ(load.pixels, image.bgr);
        EXPECT_NE(Bytes(file.end() - 2, file.end()), Bytes({'T', 'S'}));  // the trailer is keyed too
    }
}

Bytes FileWithName(std::string_view name) {
    return EncodeRctFile(RandomImage(10, 3, 4, 2), RctVariant::TC01, name);
}

TEST(RctLoad, EmbeddedNameIsKeptBoundedAndConsumedWhole) {
    const std::string long1000(1000, 'n');
    // 表 (0x95 0x5C) over bytes 254-255: the kept copy stops before it.
    const std::string straddling = std::string(254, 'a') + "\x95\x5C" + "tail";
    struct Case {
        std::string name, kept;
    } cases[] = {{"", ""}, {"title", "title"}, {long1000, long1000.substr(0, 255)},
                 {straddling, straddling.substr(0, 254)}};
    for (const Case& c : cases) {
        MemoryLoad load(FileWithName(c.name));
        ASSERT_EQ(Load(load), RctLoadStatus::Ok) << c.name.size();
        EXPECT_EQ(LastPictureRecord.nameLength, c.name.size());
        EXPECT_EQ(std::string(LastPictureRecord.name), c.kept);
        EXPECT_STREQ(LastPictureRecord.fileName, "pic.rct");
    }
    // Length 0: the stream starts at offset 22.
    Bytes empty = FileWithName("");
    EXPECT_EQ(empty[20] | empty[21], 0);
    EXPECT_EQ(empty.size(), 22u + EncodeRctStream(RandomImage(10, 3, 4, 2)).size());
}

Bytes Tc00(int32_t w, int32_t h) { return EncodeRctFile(RandomImage(w, h, 5, 4), RctVariant::TC00, ""); }

void PutI32(Bytes& file, size_t at, int32_t v) {
    for (int i = 0; i < 4; ++i)
        file[at + i] = static_cast<unsigned char>(static_cast<uint32_t>(v) >> (8 * i));
}

TEST(RctLoad, TrailerMismatchGivesAnAllZeroPictureOfTheHeaderSize) {
    Bytes file = EncodeRctFile(RandomImage(11, 4, 5, 8), RctVariant::TS00, "");
    std::swap(file[file.size() - 1], file[file.size() - 2]);  // "ST"
    MemoryLoad load(file);
    EXPECT_EQ(Load(load), RctLoadStatus::TrailerMismatch);
    EXPECT_EQ(load.width, 11);
    EXPECT_EQ(load.height, 4);
    EXPECT_TRUE(load.AllZero());
}

TEST(RctLoad, BadHeadersGiveNoPicture) {
    Bytes magic = Tc00(4, 4);
    magic[7] = '2';
    struct Case {
        const char* what;
        size_t at;
        int32_t value;
        RctLoadStatus expected;
    } cases[] = {
        {"width 0", 8, 0, RctLoadStatus::BadSize},
        {"negative height", 12, -4, RctLoadStatus::BadSize},
        {"width times height overflows", 8, 0x7FFFFFFF, RctLoadStatus::BadSize},
        {"more pixels than the stream can give", 8, 0x100000, RctLoadStatus::BadSize},
    };
    MemoryLoad bad(magic);
    EXPECT_EQ(Load(bad), RctLoadStatus::BadMagic);
    EXPECT_TRUE(bad.pixels.empty());
    for (const Case& c : cases) {
        Bytes file = Tc00(4, 4);
        PutI32(file, c.at, c.value);
        MemoryLoad load(file);
        EXPECT_EQ(Load(load), c.expected) << c.what;
        EXPECT_TRUE(load.pixels.empty()) << c.what;
    }
}

// The first pixel and one longest copy of it: the most pixels six stream
// bytes can give. One pixel more is refused before any picture memory.
TEST(RctLoad, PictureSizeIsBoundByWhatTheStreamCanGive) {
    const int32_t most = 1 + static_cast<int32_t>(kRctCountMax + kRctCopyLongMin);
    const struct {
        int32_t width;
        RctLoadStatus expected;
    } cases[] = {{most, RctLoadStatus::Ok}, {most + 1, RctLoadStatus::BadSize}};
    for (const auto& c : cases) {
        RctHeader header{RctVariant::TC00, c.width, 1, 6};
        unsigned char head[kRctHeaderSize];
        FormatRctHeader(header, head);
        Bytes file(head, head + sizeof head);
        file.insert(file.end(), {1, 2, 3, 0x83, 0xFF, 0xFF});
        MemoryLoad load(file);
        EXPECT_EQ(Load(load), c.expected) << c.width;
        EXPECT_EQ(load.pixels.size(), c.expected == RctLoadStatus::Ok ? 3 * static_cast<size_t>(most) : 0u);
        for (size_t i = 0; i < load.pixels.size(); ++i)
            ASSERT_EQ(load.pixels[i], i % 3 + 1) << i;
    }
}

TEST(RctLoad, DamagedStreamGivesABlankPicture) {
    Bytes file = Tc00(10, 3);
    file.resize(file.size() - 4);
    PutI32(file, 16, static_cast<int32_t>(file.size() - kRctHeaderSize));
    MemoryLoad load(file);
    EXPECT_EQ(Load(load), RctLoadStatus::BadStream);
    EXPECT_EQ(load.pixels.size(), 90u);
    EXPECT_TRUE(load.AllZero());
}

TEST(RctLoad, ShortFilesAreRetriedABoundedNumberOfTimes) {
    Bytes whole = Tc00(10, 3);
    Bytes cuts[] = {Bytes(whole.begin(), whole.begin() + 12), Bytes(whole.begin(), whole.end() - 1)};
    for (const Bytes& cut : cuts) {
        MemoryLoad load(cut);
        load.retriesAllowed = 1;  // one Retry, then Cancel
        EXPECT_EQ(Load(load), RctLoadStatus::ShortFile);
        EXPECT_EQ(load.opens, 2 * kRctReadAttempts);
        EXPECT_EQ(load.retries, 2);
    }
    // A data size far beyond the file is a short file, not a huge allocation.
    Bytes huge = whole;
    PutI32(huge, 16, -1);
    MemoryLoad load(huge);
    EXPECT_EQ(Load(load), RctLoadStatus::ShortFile);
    // The file is complete when the user retries.
    MemoryLoad later(cuts[1]);
    later.retriesAllowed = 1;
    later.completeOnRetry = whole;
    EXPECT_EQ(Load(later), RctLoadStatus::Ok);
    EXPECT_EQ(later.opens, kRctReadAttempts + 1);
}

// Past 4 GiB a 32-bit long or off_t would wrap or fail: the file would be
// taken as short, or its data size trusted beyond its end.
TEST(RctLoad, FilesPast4GiBAreMeasuredIn64Bits) {
    MemoryLoad load(Tc00(10, 3));
    load.sparseLength = (off_t{1} << 32) + 7;
    EXPECT_EQ(Load(load), RctLoadStatus::Ok);
    EXPECT_EQ(load.opens, 1);
}

TEST(RctLoad, NoSurfaceGivesNoPixels) {
    MemoryLoad load(Tc00(600, 600));  // over MemoryLoad's limit
    EXPECT_EQ(Load(load), RctLoadStatus::NoPixels);
}

// Random mutations and truncations of valid files: whatever the loader
// returns, ASan sees no access outside the buffers, and a picture left
// behind by a failure is blank.
TEST(RctLoad, MutatedFilesStayBounded) {
    std::mt19937 rng(2024);
    std::vector<Bytes> seeds;
    for (RctVariant v : kVariants)
        seeds.push_back(EncodeRctFile(RandomImage(11, 4, 3, 6), v, "nm"));
    seeds.push_back(Tc00(33, 9));
    for (int round = 0; round < 4000; ++round) {
        Bytes file = seeds[rng() % seeds.size()];
        switch (rng() % 4) {
        case 0: file.resize(rng() % (file.size() + 1)); break;
        case 1: file[rng() % file.size()] = static_cast<unsigned char>(rng()); break;
        case 2:
            for (int n = 0; n < 4; ++n)
                file[8 + rng() % 14] ^= static_cast<unsigned char>(1u << rng() % 8);
            break;
        default:
            for (size_t i = kRctHeaderSize + 2; i < file.size(); i += 1 + rng() % 8)
                file[i] = static_cast<unsigned char>(rng());
        }
        MemoryLoad load(file);
        RctLoadStatus status = Load(load);
        if (status == RctLoadStatus::TrailerMismatch || status == RctLoadStatus::BadStream) {
            ASSERT_TRUE(load.AllZero()) << round;
        }
        ASSERT_LE(load.opens, kRctReadAttempts) << round;
    }
}

// The demo game's picture: a TC00 of 256 x 256 whose stream ends exactly at
// its data size, and which is the picture its generator draws.
TEST(RctDemoPicture, DecodesToItsGeneratorsPicture) {
    const std::string demo = VARNOK_SOURCE_DIR "/demo/game/insttscr.rct";
    RctImage decoded;
    ASSERT_EQ(DecodeRctFile(demo.c_str(), decoded), RctLoadStatus::Ok);
    RctHeader header;
    ASSERT_TRUE(ParseRctHeader(LastPictureRecord.header, header));
    EXPECT_EQ(header.variant, RctVariant::TC00);
    EXPECT_EQ(decoded.width, 256);
    EXPECT_EQ(decoded.height, 256);

    FILE* f = std::fopen(demo.c_str(), "rb");
    ASSERT_NE(f, nullptr);
    Bytes stream(header.dataSize);
    std::fseek(f, kRctHeaderSize, SEEK_SET);
    ASSERT_EQ(std::fread(stream.data(), 1, stream.size(), f), stream.size());
    std::fclose(f);
    Bytes packed(decoded.bgr.size());
    EXPECT_EQ(DecompressRct(stream.data(), stream.size(), packed.data(), 256, 256),
              static_cast<int64_t>(header.dataSize));

    TempFile drawn("demo.ppm");
    const std::string draw = "python3 " VARNOK_SOURCE_DIR "/scripts/make-demo-picture.py " + std::string(drawn.path());
    if (std::system(draw.c_str()) != 0)
        GTEST_SKIP() << "python3 cannot run the generator";
    RctImage source;
    bool alpha = false;
    std::string error;
    ASSERT_TRUE(ReadPictureFile(drawn.path(), source, alpha, error)) << error;
    EXPECT_EQ(source.bgr, decoded.bgr);
}

}  // namespace
