// DIB surfaces: header fields, strides, the real DIB section behind them,
// and the SurfaceList links.
#include <gtest/gtest.h>

#include <algorithm>

#include "resfile/dib_surface.h"

namespace {

// Other tests may leave surfaces alive: links are checked against the head
// found at the start.
class DibSurfaceTest : public ::testing::Test {
protected:
    void SetUp() override { before_ = SurfaceListHead(); }
    DibSurface* before_ = nullptr;
};

struct ShapeCase {
    int32_t width, height, eightBit, stride;
};

TEST_F(DibSurfaceTest, HeaderStrideAndSection) {
    const ShapeCase cases[] = {{256, 256, 0, 768}, {10, 3, 0, 32}, {10, 3, 1, 12}, {1, 1, 0, 4}, {1, 1, 1, 4}};
    for (const ShapeCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " eightBit " << c.eightBit);
        DibSurface* s = CreateDibSurface(c.width, c.height, c.eightBit, 0);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->width, c.width);
        EXPECT_EQ(s->height, c.height);
        EXPECT_EQ(s->stride, c.stride);
        const BITMAPINFOHEADER& h = s->bitmapInfo->bmiHeader;
        EXPECT_EQ(h.biSize, 40u);
        EXPECT_EQ(h.biWidth, c.width);
        EXPECT_EQ(h.biHeight, -c.height);
        EXPECT_EQ(h.biPlanes, 1);
        EXPECT_EQ(h.biBitCount, c.eightBit ? 8 : 24);
        EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_RGB));
        EXPECT_EQ(h.biClrUsed, c.eightBit ? 256u : 0u);
        EXPECT_EQ(h.biSizeImage + h.biXPelsPerMeter + h.biYPelsPerMeter + h.biClrImportant, 0u);
        if (c.eightBit) {
            ASSERT_EQ(s->palette, s->bitmapInfo->bmiColors);
            const auto* bytes = reinterpret_cast<const unsigned char*>(s->palette);
            EXPECT_TRUE(std::all_of(bytes, bytes + 256 * sizeof(RGBQUAD), [](unsigned char b) { return b == 0; }));
        } else {
            EXPECT_EQ(s->palette, nullptr);
        }
        DIBSECTION section = {};
        ASSERT_EQ(GetObjectA(s->bitmap, sizeof section, &section), static_cast<int>(sizeof section));
        EXPECT_EQ(section.dsBm.bmBits, s->bits);
        EXPECT_EQ(section.dsBm.bmWidthBytes, c.stride);
        EXPECT_EQ(section.dsBm.bmHeight, c.height);
        EXPECT_EQ(FreeDibSurface(s, 0), 0);
    }
    EXPECT_EQ(SurfaceListHead(), before_);
}

TEST_F(DibSurfaceTest, NoSurfaceForSizesOfZeroOrLessOrTooLarge) {
    const std::pair<int32_t, int32_t> sizes[] = {{0, 1}, {1, 0}, {-1, 5}, {5, -1}, {0x7FFFFFFF, 1}, {100000, 100000}};
    for (auto [w, h] : sizes) {
        EXPECT_EQ(CreateDibSurface24(w, h, 0), nullptr) << w << "x" << h;
        EXPECT_EQ(CreateDibSurface(w, h, 1, 0), nullptr) << w << "x" << h;
    }
    EXPECT_EQ(SurfaceListHead(), before_);
}

TEST_F(DibSurfaceTest, NewestFirstAndUnlinkingFromEitherEnd) {
    DibSurface* a = CreateDibSurface24(4, 4, 0);
    DibSurface* b = CreateDibSurface24(4, 4, 0);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(SurfaceListHead(), b);
    EXPECT_EQ(b->newer, nullptr);
    EXPECT_EQ(b->older, a);
    EXPECT_EQ(a->newer, b);
    EXPECT_EQ(a->older, before_);
    EXPECT_EQ(FreeDibSurface(b, 0), 0);
    EXPECT_EQ(SurfaceListHead(), a);
    EXPECT_EQ(a->newer, nullptr);

    b = CreateDibSurface24(4, 4, 0);
    EXPECT_EQ(FreeDibSurface(a, 0), 0);
    EXPECT_EQ(SurfaceListHead(), b);
    EXPECT_EQ(b->older, before_);
    EXPECT_EQ(FreeDibSurface(b, 0), 0);
    EXPECT_EQ(SurfaceListHead(), before_);
}

TEST_F(DibSurfaceTest, ReleasingTheMiddleJoinsItsNeighbours) {
    DibSurface* a = CreateDibSurface24(2, 2, 0);
    DibSurface* b = CreateDibSurface(2, 2, 1, 0);
    DibSurface* c = CreateDibSurface24(2, 2, 0);
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(FreeDibSurface(b, 0), 0);
    EXPECT_EQ(c->older, a);
    EXPECT_EQ(a->newer, c);
    EXPECT_EQ(SurfaceListHead(), c);
    FreeDibSurface(c, 0);
    FreeDibSurface(a, 0);
    EXPECT_EQ(SurfaceListHead(), before_);
}

TEST_F(DibSurfaceTest, LockedSurfacesNeedForce) {
    EXPECT_EQ(FreeDibSurface(nullptr, 0), 0);
    EXPECT_EQ(FreeDibSurface(nullptr, 1), 0);
    DibSurface* s = CreateDibSurface24(3, 3, 1);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(FreeDibSurface(s, 0), 1);
    EXPECT_EQ(SurfaceListHead(), s);
    EXPECT_EQ(s->locked, 1);
    EXPECT_EQ(FreeDibSurface(s, 1), 0);
    EXPECT_EQ(SurfaceListHead(), before_);
}

}  // namespace
