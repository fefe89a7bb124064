#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <random>
#include <vector>

#include "resfile/rct_format.h"
#include "tests/native/rct_test_util.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Pixel i of a hand-built picture: distinct for every i below 256.
Bytes Px(int i) { return {static_cast<unsigned char>(i), static_cast<unsigned char>(i + 100), 7}; }

Bytes Pixels(int from, int count) {
    Bytes out;
    for (int i = from; i < from + count; ++i) {
        Bytes p = Px(i);
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

// Decodes into a buffer of exactly the picture's size (ASan sees any
// overrun); nothing when the stream is refused.
std::optional<Bytes> Decode(const Bytes& stream, int32_t w, int32_t h) {
    Bytes out(static_cast<size_t>(RctPictureBytes(w, h)));
    int64_t used = DecompressRct(stream.data(), stream.size(), out.data(), w, h);
    if (used < 0)
        return std::nullopt;
    EXPECT_EQ(used, static_cast<int64_t>(stream.size()));
    return out;
}

struct ControlCase {
    const char* what;
    int32_t width;
    Bytes stream;
    Bytes expected;
};

TEST(RctDecompress, ControlForms) {
    const ControlCase cases[] = {
        {"1x1: only the verbatim first pixel", 1, Px(0), Px(0)},
        {"0x00: one literal pixel", 2, Cat({Px(0), {0x00}, Px(1)}), Pixels(0, 2)},
        {"0x7E: 127 literal pixels", 128, Cat({Px(0), {0x7E}, Pixels(1, 127)}), Pixels(0, 128)},
        {"0x7F count 0: 128 literal pixels", 129, Cat({Px(0), {0x7F, 0, 0}, Pixels(1, 128)}), Pixels(0, 129)},
        {"0x7F count 1: 129 literal pixels", 130, Cat({Px(0), {0x7F, 1, 0}, Pixels(1, 129)}), Pixels(0, 130)},
        {"0x80: one pixel from one back", 2, Cat({Px(0), {0x80}}), Cat({Px(0), Px(0)})},
        {"0x82: three pixels repeat the previous", 4, Cat({Px(0), {0x82}}), Cat({Px(0), Px(0), Px(0), Px(0)})},
        {"0x83 count 0: four copies of the previous", 5, Cat({Px(0), {0x83, 0, 0}}),
         Cat({Px(0), Px(0), Px(0), Px(0), Px(0)})},
        {"0x85: two pixels from two back repeat a pair", 4, Cat({Px(0), {0x00}, Px(1), {0x85}}),
         Cat({Px(0), Px(1), Px(0), Px(1)})},
        {"0x87 count 2: six pixels from two back", 8, Cat({Px(0), {0x00}, Px(1), {0x87, 2, 0}}),
         Cat({Px(0), Px(1), Px(0), Px(1), Px(0), Px(1), Px(0), Px(1)})},
    };
    for (const ControlCase& c : cases) {
        SCOPED_TRACE(c.what);
        auto out = Decode(c.stream, c.width, 1);
        ASSERT_TRUE(out.has_value());
        EXPECT_EQ(*out, c.expected);
    }
}

TEST(RctDecompress, OneColourBeyondOneLongCopy) {
    // 70000 pixels of one colour: more than one long copy can hold.
    const int32_t w = 70000;
    Bytes flat = Cat({Px(9), {0x83, 0xFF, 0xFF}, {0x83}});
    uint16_t rest = static_cast<uint16_t>(w - 1 - 65539 - 4);
    flat.push_back(static_cast<unsigned char>(rest));
    flat.push_back(static_cast<unsigned char>(rest >> 8));
    auto out = Decode(flat, w, 1);
    ASSERT_TRUE(out.has_value());
    for (int32_t i = 0; i < w; ++i)
        ASSERT_EQ(0, std::memcmp(out->data() + 3 * i, Px(9).data(), 3)) << i;
}

// The row above and its neighbours, as the table of copy sources gives them:
// entry k reads `up` rows up and `shift` pixels to the right.
struct SourceCase {
    int k, up, shift;
};
constexpr SourceCase kRowSources[] = {
    {6, 1, 3},   {7, 1, 2},   {8, 1, 1},   {9, 1, 0},   {10, 1, -1}, {11, 1, -2}, {12, 1, -3},
    {13, 2, 3},  {14, 2, 2},  {15, 2, 1},  {16, 2, 0},  {17, 2, -1}, {18, 2, -2}, {19, 2, -3},
    {20, 3, 3},  {21, 3, 2},  {22, 3, 1},  {23, 3, 0},  {24, 3, -1}, {25, 3, -2}, {26, 3, -3},
    {27, 4, 2},  {28, 4, 1},  {29, 4, 0},  {30, 4, -1}, {31, 4, -2},
};

TEST(RctDecompress, EntriesSixToThirtyOneReadThePackedRowsAbove) {
    // Width 10 (packed rows of 30 bytes, padded ones would be 32): rows 0-3
    // literal, then row 4 pixel 3 copied through entry k, the rest literal.
    const int32_t w = 10, h = 5, x = 3;
    for (const SourceCase& s : kRowSources) {
        SCOPED_TRACE(s.k);
        const int at = 4 * w + x;
        Bytes stream = Cat({Px(0), {static_cast<unsigned char>(at - 2)}, Pixels(1, at - 1),
                            {static_cast<unsigned char>(0x80 | s.k << 2)},
                            {static_cast<unsigned char>(w - x - 2)}, Pixels(at + 1, w - x - 1)});
        auto out = Decode(stream, w, h);
        ASSERT_TRUE(out.has_value());
        Bytes expected = Cat({Pixels(0, at), Px((4 - s.up) * w + x + s.shift), Pixels(at + 1, w - x - 1)});
        EXPECT_EQ(*out, expected);
    }
}

// In pictures one to three pixels wide some "rows above" lie at or ahead of
// the pixel being written: they are not written yet and read as zeros.
TEST(RctDecompress, NarrowPicturesReadUnwrittenBytesAsZero) {
    const Bytes zero(3, 0);
    // Width 3, entry 6: the source is the pixel being written.
    auto same = Decode(Cat({Px(0), {0x07}, Pixels(1, 8), {0x80 | 6 << 2}, {0x04}, Pixels(10, 5)}), 3, 5);
    ASSERT_TRUE(same.has_value());
    EXPECT_EQ(*same, Cat({Pixels(0, 9), zero, Pixels(10, 5)}));
    // Width 1, entry 6: the source is two pixels ahead.
    auto ahead = Decode(Cat({Px(0), {0x02}, Pixels(1, 3), {0x80 | 6 << 2}, {0x02}, Pixels(5, 3)}), 1, 8);
    ASSERT_TRUE(ahead.has_value());
    EXPECT_EQ(*ahead, Cat({Pixels(0, 4), zero, Pixels(5, 3)}));
}

struct BadCase {
    const char* what;
    int32_t width, height;
    Bytes stream;
};

TEST(RctDecompress, MalformedStreamsAreRefused) {
    const BadCase cases[] = {
        {"shorter than the first pixel", 1, 1, {1, 2}},
        {"ends before a control byte", 2, 1, Px(0)},
        {"ends inside 0x7F's count", 200, 1, Cat({Px(0), {0x7F, 0}})},
        {"ends inside a long copy's count", 9, 1, Cat({Px(0), {0x83, 0}})},
        {"literal run longer than the stream", 3, 1, Cat({Px(0), {0x01}, Px(1)})},
        {"literal run past the picture", 2, 1, Cat({Px(0), {0x01}, Pixels(1, 2)})},
        {"copy past the picture", 2, 1, Cat({Px(0), {0x81}})},
        {"long copy past the picture", 5, 1, Cat({Px(0), {0x83, 1, 0}})},
        {"copy from before the picture (two back at pixel 1)", 4, 1, Cat({Px(0), {0x84}})},
        {"copy from four rows up in row 0", 4, 5, Cat({Px(0), {0x80 | 29 << 2}})},
        {"copy from ahead, past the picture (width 1, entry 6)", 1, 5,
         Cat({Px(0), {0x02}, Pixels(1, 3), {0x80 | 6 << 2}})},
        {"width 0", 0, 1, Px(0)},
        {"negative height", 1, -1, Px(0)},
        {"size beyond 2^31 bytes", 0x40000000, 4, Px(0)},
    };
    for (const BadCase& c : cases) {
        SCOPED_TRACE(c.what);
        int64_t size = RctPictureBytes(c.width, c.height);
        Bytes out(size > 0 ? static_cast<size_t>(size) : 1);
        EXPECT_EQ(DecompressRct(c.stream.data(), c.stream.size(), out.data(), c.width, c.height), -1);
    }
}

TEST(RctDecompress, RandomStreamsStayInsideTheirBuffers) {
    std::mt19937 rng(5);
    for (int round = 0; round < 20000; ++round) {
        int32_t w = 1 + rng() % 12, h = 1 + rng() % 6;
        Bytes stream(rng() % 64);
        for (auto& b : stream)
            b = static_cast<unsigned char>(rng() % 4 ? rng() : 0x80 | (rng() & 0x7F));
        Bytes out(static_cast<size_t>(RctPictureBytes(w, h)));
        int64_t used = DecompressRct(stream.data(), stream.size(), out.data(), w, h);
        EXPECT_LE(used, static_cast<int64_t>(stream.size()));
    }
}

TEST(RctHeader, MagicsAndSizes) {
    for (RctVariant v : {RctVariant::TC00, RctVariant::TS00, RctVariant::TC01, RctVariant::TS01}) {
        unsigned char bytes[kRctHeaderSize];
        FormatRctHeader({v, 10, -3, 0xFFFFFFF0u}, bytes);
        RctHeader h;
        ASSERT_TRUE(ParseRctHeader(bytes, h));
        EXPECT_EQ(h.variant, v);
        EXPECT_EQ(h.width, 10);
        EXPECT_EQ(h.height, -3);
        EXPECT_EQ(h.dataSize, 0xFFFFFFF0u);
        for (int i : {0, 3, 4, 7}) {
            unsigned char bad[kRctHeaderSize];
            std::memcpy(bad, bytes, sizeof bad);
            bad[i] ^= 0x40;
            EXPECT_FALSE(ParseRctHeader(bad, h)) << i;
        }
    }
    EXPECT_EQ(RctPictureBytes(1, 1), 3);
    EXPECT_EQ(RctPictureBytes(256, 256), 196608);
    EXPECT_EQ(RctPictureBytes(0, 5), 0);
    EXPECT_EQ(RctPictureBytes(5, 0), 0);
    EXPECT_EQ(RctPictureBytes(-5, 5), 0);
    EXPECT_EQ(RctPictureBytes(0x7FFFFFFF, 0x7FFFFFFF), 0);
    // Padded rows of 32768 bytes: 65535 rows fit in 2^31 - 1 bytes, 65536 do not.
    EXPECT_GT(RctPictureBytes(10922, 65535), 0);
    EXPECT_EQ(RctPictureBytes(10922, 65536), 0);
}

class RctKey : public WithRctKey<37, 11> {};

TEST_F(RctKey, WordsOverWholeBlocksThenBytesMatchBytewiseXor) {
    for (size_t size : {0u, 3u, 1023u, 1024u, 2500u, 4096u}) {
        Bytes data(size);
        for (size_t i = 0; i < size; ++i)
            data[i] = static_cast<unsigned char>(i ^ 0x5A);
        Bytes keyed = data;
        ApplyRctKey(keyed.data(), keyed.size());
        for (size_t i = 0; i < size; ++i)
            ASSERT_EQ(keyed[i], data[i] ^ RctKeyTable[i % kRctKeySize]) << size << " " << i;
    }
}

TEST(RctRows, SpreadMovesEveryRowToItsPaddedPlace) {
    const int32_t w = 10, h = 4, stride = 32;
    Bytes packed = Pixels(0, w * h);
    Bytes surface(static_cast<size_t>(stride) * h, 0xEE);
    std::memcpy(surface.data(), packed.data(), packed.size());
    SpreadRctRows(surface.data(), w, h, stride);
    for (int r = 0; r < h; ++r)
        EXPECT_EQ(0, std::memcmp(surface.data() + r * stride, packed.data() + r * 3 * w, 3 * w)) << r;
    EXPECT_EQ(surface[h * stride - 1], 0xEE);  // the last row's padding is untouched
}

}  // namespace
