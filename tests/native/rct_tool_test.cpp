#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/native/rct_test_util.h"
#include "tools/varnok-pack/commands/cli.h"
#include "tools/varnok-pack/commands/commands.h"
#include "tools/varnok-pack/rct/rct_image.h"

namespace {

int Rct(std::vector<std::string> args) {
    args.insert(args.begin(), "rct");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    return RunRct(static_cast<int>(args.size()), argv.data());
}

RctImage ReadBack(const char* path) {
    RctImage image;
    bool alpha = false;
    std::string error;
    EXPECT_TRUE(ReadPictureFile(path, image, alpha, error)) << error;
    return image;
}

TEST(RctTool, EncodeDecodeRoundTripsThroughEveryPictureType) {
    const RctImage image = RandomImage(11, 7, 6, 31);
    TempFile source("source.png"), rct("out.rct");
    std::string error;
    ASSERT_TRUE(WritePictureFile(source.path(), image, error)) << error;
    for (const char* variant : {"TC00", "TS00", "TC01", "TS01"}) {
        std::vector<std::string> encode = {"encode", source.path(), rct.path(), "--variant", variant};
        if (variant[3] == '1')
            encode.insert(encode.end(), {"--name", "背景"});
        ASSERT_EQ(Rct(encode), kExitOk) << variant;
        EXPECT_EQ(Rct({"info", rct.path()}), kExitOk);
        for (const char* ext : {"png", "bmp", "ppm", "PPM"}) {
            TempFile out(std::string("decoded.") + ext);
            ASSERT_EQ(Rct({"decode", rct.path(), out.path()}), kExitOk) << variant << " " << ext;
            EXPECT_EQ(ReadBack(out.path()).bgr, image.bgr) << variant << " " << ext;
        }
    }
}

TEST(RctTool, DecodeResults) {
    const RctImage image = RandomImage(10, 3, 4, 5);
    TempFile rct("in.rct"), out("out.ppm");

    std::vector<unsigned char> reversed = EncodeRctFile(image, RctVariant::TS00, "");
    std::swap(reversed[reversed.size() - 1], reversed[reversed.size() - 2]);
    rct.Write(reversed);
    EXPECT_EQ(Rct({"decode", rct.path(), out.path()}), kExitOk);
    RctImage blank = ReadBack(out.path());
    EXPECT_EQ(blank.width, 10);
    EXPECT_TRUE(std::all_of(blank.bgr.begin(), blank.bgr.end(), [](unsigned char b) { return b == 0; }));
    EXPECT_EQ(Rct({"info", rct.path()}), kExitFailure);

    std::vector<unsigned char> damaged = EncodeRctFile(image, RctVariant::TC00, "");
    damaged[kRctHeaderSize + 3] = 0x80 | 29 << 2;  // a copy from four rows above row 0
    std::remove(out.path());
    rct.Write(damaged);
    EXPECT_EQ(Rct({"decode", rct.path(), out.path()}), kExitFailure);
    EXPECT_EQ(std::fopen(out.path(), "rb"), nullptr);  // nothing written

    damaged[4] = 'X';
    rct.Write(damaged);
    EXPECT_EQ(Rct({"decode", rct.path(), out.path()}), kExitFailure);
    EXPECT_EQ(Rct({"info", rct.path()}), kExitFailure);
    EXPECT_EQ(Rct({"decode", "/nonexistent/x.rct", out.path()}), kExitFailure);

    rct.Write(EncodeRctFile(image, RctVariant::TC00, ""));
    EXPECT_EQ(Rct({"decode", rct.path(), "out.gif"}), kExitFailure);
}

TEST(RctTool, CommandLineErrors) {
    TempFile source("usage.ppm"), rct("usage.rct");
    std::string error;
    ASSERT_TRUE(WritePictureFile(source.path(), RandomImage(2, 2, 2, 1), error));
    const std::vector<std::string> wrong[] = {
        {},
        {"resize"},
        {"encode", source.path()},
        {"encode", source.path(), rct.path(), "--variant", "TC02"},
        {"encode", source.path(), rct.path(), "--name", "x"},  // TC00 has no name
        {"encode", source.path(), rct.path(), "--bogus"},
        {"decode", rct.path()},
        {"info"},
    };
    for (const auto& args : wrong)
        EXPECT_EQ(Rct(args), kExitUsage) << (args.empty() ? "" : args[0]);
    EXPECT_EQ(Rct({"encode", source.path(), source.path()}), kExitUsage);  // says another format
    EXPECT_EQ(Rct({"encode", rct.path(), rct.path()}), kExitFailure);        // not a picture
}

}  // namespace
