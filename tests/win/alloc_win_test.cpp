#include <gtest/gtest.h>

#include <malloc.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "shell/alloc.h"
#include "tests/e2e/driver/win_driver.h"

namespace {

// メモリ容量が不足しています。処理を中断します。
constexpr char kOutOfMemoryText[] =
    "\x83\x81\x83\x82\x83\x8a\x97\x65\x97\xca\x82\xaa\x95\x73\x91\xab\x82\xb5\x82\xc4\x82\xa2\x82\xdc\x82\xb7"
    "\x81\x42\x8f\x88\x97\x9d\x82\xf0\x92\x86\x92\x66\x82\xb5\x82\xdc\x82\xb7\x81\x42";

TEST(AllocOrReportTest, EveryBlockHas32BytesToSpare) {
    for (size_t size : {size_t{0}, size_t{1}, size_t{131072}}) {
        void* block = AllocOrReport(size);
        EXPECT_EQ(_msize(block), size + 32) << size;
        std::free(block);
    }
}

// The dying process checks the box itself and prints its verdict: the
// parent sees only the exit code and stderr.
void ReportOutOfMemoryBox(const SeenBox& box) {
    bool expected = box.caption == "malloc" && box.text == kOutOfMemoryText && box.owner == nullptr;
    std::fputs(expected ? "box as expected\n" : "box differs\n", stderr);
}

TEST(AllocOrReportDeathTest, OutOfMemoryShowsItsBoxAndEndsWithMinusOne) {
    // Sizes so large that the spare bytes would wrap around are out of memory too.
    for (size_t size : {SIZE_MAX / 2, SIZE_MAX - 31, SIZE_MAX}) {
        EXPECT_EXIT(
            {
                BoxAnswerer answer(IDOK, ReportOutOfMemoryBox);
                AllocOrReport(size);
                std::fputs("returned a block\n", stderr);
            },
            ::testing::ExitedWithCode(-1), "box as expected")
            << size;
    }
}

}  // namespace
