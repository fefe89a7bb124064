// LoadRctPicture under Wine: files opened through the locator, decoded into
// real DIB sections, and the retry question for a file that stays short.
#include <gtest/gtest.h>

#include <string>

#include "resfile/dib_surface.h"
#include "resfile/file_locator.h"
#include "resfile/rct_picture.h"
#include "tests/e2e/driver/win_driver.h"
#include "tests/win/temp_folder.h"

namespace {

constexpr int32_t kWidth = 10, kHeight = 3;  // packed rows of 30 bytes, DIB rows of 32

std::string Px(int i) { return {static_cast<char>(i), static_cast<char>(i + 100), static_cast<char>(200 - i)}; }

std::string Pixels(int from, int count) {
    std::string out;
    for (int i = from; i < from + count; ++i)
        out += Px(i);
    return out;
}

std::string Le32(uint32_t v) {
    return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16), static_cast<char>(v >> 24)};
}

std::string RctFile(const char* variant, const std::string& stream) {
    return std::string("\x98\x5A\x92\x9A") + variant + Le32(kWidth) + Le32(kHeight) +
           Le32(static_cast<uint32_t>(stream.size())) + stream;
}

// Row 0 literal, row 1 copied whole from the row above (entry 9, one long
// copy), row 2 literal again.
const std::string kStream = Px(0) + '\x08' + Pixels(1, 9) + std::string("\xA7\x06\x00", 3) + '\x09' + Pixels(20, 10);
const std::string kExpectedRows[] = {Pixels(0, 10), Pixels(0, 10), Pixels(20, 10)};

class RctPictureTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetDirectOpenAllowed(1);
        before_ = CurrentDirectory();
        SetCurrentDirectoryA(folder_.path().c_str());
    }
    void TearDown() override { SetCurrentDirectoryA(before_.c_str()); }

    TempFolder folder_;
    std::string before_;
};

std::string Row(const DibSurface* s, int r) {
    return std::string(reinterpret_cast<const char*>(s->bits) + r * s->stride, 3 * s->width);
}

TEST_F(RctPictureTest, DecodesIntoThePaddedRowsOfARealDibSection) {
    ASSERT_TRUE(WriteFileBytes("insttscr.rct", RctFile("TC00", kStream)));
    DibSurface* s = LoadRctPicture("insttscr.rct");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SurfaceListHead(), s);
    EXPECT_EQ(s->locked, 0);
    EXPECT_EQ(s->stride, 32);
    for (int r = 0; r < kHeight; ++r)
        EXPECT_EQ(Row(s, r), kExpectedRows[r]) << r;
    // GDI reads the same pixels, top row first.
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, s->bitmap);
    for (int r = 0; r < kHeight; ++r) {
        for (int x = 0; x < kWidth; ++x) {
            const auto* p = reinterpret_cast<const unsigned char*>(kExpectedRows[r].data()) + 3 * x;
            EXPECT_EQ(GetPixel(dc, x, r), RGB(p[2], p[1], p[0])) << x << "," << r;
        }
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    EXPECT_EQ(LastPictureRecord.name[0], '\0');
    EXPECT_STREQ(LastPictureRecord.fileName, "insttscr.rct");
    EXPECT_EQ(FreeDibSurface(s, 0), 0);
}

TEST_F(RctPictureTest, TrailerMismatchGivesABlankSurfaceAndABadMagicNone) {
    ASSERT_TRUE(WriteFileBytes("reversed.rct", RctFile("TS00", kStream + "ST")));
    DibSurface* s = LoadRctPicture("reversed.rct");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->width, kWidth);
    EXPECT_EQ(s->height, kHeight);
    for (int r = 0; r < kHeight; ++r)
        EXPECT_EQ(Row(s, r), std::string(3 * kWidth, '\0')) << r;
    FreeDibSurface(s, 0);

    DibSurface* head = SurfaceListHead();
    ASSERT_TRUE(WriteFileBytes("magic.rct", RctFile("TX00", kStream)));
    EXPECT_EQ(LoadRctPicture("magic.rct"), nullptr);
    EXPECT_EQ(SurfaceListHead(), head);
}

TEST_F(RctPictureTest, AShortFileIsReportedAndLoadsOnRetryOnceComplete) {
    const std::string whole = RctFile("TC00", kStream);
    ASSERT_TRUE(WriteFileBytes("insttscr.rct", whole.substr(0, whole.size() - 5)));
    const std::string path = folder_ / "insttscr.rct";
    BoxAnswerer answer(IDRETRY, [&](const SeenBox&) { WriteFileBytes(path, whole); });
    DibSurface* s = LoadRctPicture("insttscr.rct");
    const SeenBox& seen = answer.Seen();
    ASSERT_TRUE(seen.found);
    // Ffopen : ファイル[insttscr.rct]の読み込みで失敗しました
    EXPECT_EQ(seen.text,
              "Ffopen : \x83\x74\x83\x40\x83\x43\x83\x8b[insttscr.rct]\x82\xcc\x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x82\xc5"
              "\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(Row(s, 2), kExpectedRows[2]);
    FreeDibSurface(s, 0);
}

// The demo game's picture, by its path in the source tree (drive Z: is the
// Unix root under Wine).
TEST_F(RctPictureTest, TheDemoPictureDecodes) {
    std::string path = std::string("Z:") + VARNOK_SOURCE_DIR + "/demo/game/insttscr.rct";
    for (char& c : path)
        c = c == '/' ? '\\' : c;
    DibSurface* s = LoadRctPicture(path.c_str());
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->width, 256);
    EXPECT_EQ(s->height, 256);
    EXPECT_EQ(s->stride, 768);
    EXPECT_EQ(Row(s, 0).substr(0, 3), std::string("\x30\x0a\x0c", 3));  // the sky's top band, blue first
    FreeDibSurface(s, 0);
}

}  // namespace
