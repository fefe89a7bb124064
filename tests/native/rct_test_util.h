// Pictures and files shared by the RCT tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "resfile/rct_format.h"
#include "tools/varnok-pack/rct/rct_codec.h"

// Pixels drawn from `colours` random colours: few colours give the encoder
// runs and copies of every kind, many give long literal runs.
inline RctImage RandomImage(int32_t width, int32_t height, int colours, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<unsigned char> palette(3 * colours);
    for (auto& b : palette)
        b = static_cast<unsigned char>(rng());
    RctImage image{width, height, {}};
    for (int32_t i = 0; i < width * height; ++i) {
        int c = static_cast<int>(rng() % colours);
        image.bgr.insert(image.bgr.end(), palette.begin() + 3 * c, palette.begin() + 3 * c + 3);
    }
    return image;
}

// Every byte random: no copies, literal runs only.
inline RctImage NoiseImage(int32_t width, int32_t height, unsigned seed) {
    std::mt19937 rng(seed);
    RctImage image{width, height, std::vector<unsigned char>(3 * static_cast<size_t>(width) * height)};
    for (auto& b : image.bgr)
        b = static_cast<unsigned char>(rng());
    return image;
}

// A fixture that fills the process-wide key table with key[i] = i * mul + add
// and clears it again, so other tests keep the all-zero key.
template <unsigned mul, unsigned add>
class WithRctKey : public ::testing::Test {
protected:
    void SetUp() override {
        for (size_t i = 0; i < kRctKeySize; ++i)
            RctKeyTable[i] = static_cast<unsigned char>(i * mul + add);
    }
    void TearDown() override { std::memset(RctKeyTable, 0, sizeof RctKeyTable); }
};

// A file under the test's temporary folder, removed by the destructor.
class TempFile {
public:
    explicit TempFile(const std::string& name) : path_(::testing::TempDir() + "rct_" + name) {}
    ~TempFile() { std::remove(path_.c_str()); }
    const char* path() const { return path_.c_str(); }
    void Write(const std::vector<unsigned char>& bytes) const {
        FILE* f = std::fopen(path_.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }

private:
    std::string path_;
};
