// RCT benchmark: decode throughput on large pictures against memcpy of the
// same size in the same run, and the encoder's size against raw 24-bit and
// PNG. Run by scripts/bench-rct.sh.
//
//   rct_bench [SIZE] [PICTURE...]   SIZE: width and height of the generated
//                                   pictures (default 4096); PICTURE: PNG, BMP
//                                   or PPM files measured as well
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>

#include "tools/varnok-pack/rct/rct_codec.h"
#include "tools/varnok-pack/rct/rct_image.h"

namespace {

constexpr int kRepeats = 5;

double BestSeconds(const std::function<void()>& work) {
    double best = 1e30;
    for (int i = 0; i < kRepeats; ++i) {
        auto start = std::chrono::steady_clock::now();
        work();
        std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

void Put(RctImage& image, int x, int y, uint32_t rgb) {
    unsigned char* p = image.bgr.data() + 3 * (static_cast<size_t>(y) * image.width + x);
    p[0] = static_cast<unsigned char>(rgb);
    p[1] = static_cast<unsigned char>(rgb >> 8);
    p[2] = static_cast<unsigned char>(rgb >> 16);
}

// Launcher art: banded sky, flat shapes from a small palette, outlined.
RctImage Illustration(int size) {
    RctImage image{size, size, std::vector<unsigned char>(3 * static_cast<size_t>(size) * size)};
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            Put(image, x, y, 0x101830 + (y * 16 / size) * 0x060508);
    std::mt19937 rng(42);
    const uint32_t palette[] = {0xE8C8A0, 0x5070B0, 0x304060, 0xF0F0E0, 0x802030, 0x406030, 0xD0A040, 0x202020};
    for (int shape = 0; shape < 400; ++shape) {
        int cx = rng() % size, cy = rng() % size, r = 8 + rng() % (size / 12);
        uint32_t fill = palette[rng() % 8];
        bool round = rng() % 2;
        for (int y = std::max(0, cy - r); y < std::min(size, cy + r); ++y) {
            for (int x = std::max(0, cx - r); x < std::min(size, cx + r); ++x) {
                int d2 = (x - cx) * (x - cx) + (y - cy) * (y - cy);
                if (round && d2 > r * r)
                    continue;
                bool edge = round ? d2 > (r - 2) * (r - 2)
                                  : std::max(std::abs(x - cx), std::abs(y - cy)) >= r - 2;
                Put(image, x, y, edge ? 0x101010 : fill);
            }
        }
    }
    return image;
}

// A photograph's worst case for a format without prediction: smooth
// gradients with a little sensor noise.
RctImage NoisyGradient(int size) {
    RctImage image{size, size, std::vector<unsigned char>(3 * static_cast<size_t>(size) * size)};
    std::mt19937 rng(7);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            unsigned char* p = image.bgr.data() + 3 * (static_cast<size_t>(y) * size + x);
            for (int c = 0; c < 3; ++c) {
                double wave = 100 * std::sin((x * (c + 1) + y * (3 - c)) * 3.0 / size);
                double v = 128 + wave + static_cast<int>(rng() % 5) - 2;
                p[c] = static_cast<unsigned char>(std::clamp(v, 0.0, 255.0));
            }
        }
    }
    return image;
}

void Measure(const char* label, const RctImage& image) {
    const size_t raw = image.bgr.size();
    std::vector<unsigned char> stream;
    double encodeSeconds = BestSeconds([&] { stream = EncodeRctStream(image); });
    const size_t png = EncodePng(image).size();
    const size_t file = stream.size() + kRctHeaderSize;

    std::vector<unsigned char> out(raw), copy(raw);
    bool exact = true;
    double decodeSeconds = BestSeconds([&] {
        exact &= DecompressRct(stream.data(), stream.size(), out.data(), image.width, image.height) ==
                 static_cast<int64_t>(stream.size());
    });
    exact &= out == image.bgr;
    double memcpySeconds = BestSeconds([&] { std::memcpy(copy.data(), image.bgr.data(), raw); });
    exact &= copy == image.bgr;  // the copy is used, so it is never optimised away

    const double mb = static_cast<double>(raw) / 1e6;
    std::printf("%s: %d x %d, raw 24-bit %.1f MB%s\n", label, image.width, image.height, mb,
                exact ? "" : "  ** DECODE MISMATCH **");
    std::printf("  RCT  %10zu bytes  %6.2f%% of raw  %6.2f x PNG   encode %.2f s\n", file,
                100.0 * static_cast<double>(file) / static_cast<double>(raw),
                static_cast<double>(file) / static_cast<double>(png), encodeSeconds);
    std::printf("  PNG  %10zu bytes  %6.2f%% of raw  (zlib level 9)\n", png,
                100.0 * static_cast<double>(png) / static_cast<double>(raw));
    std::printf("  decode %8.0f MB/s   memcpy %8.0f MB/s   decode/memcpy %.2f\n", mb / decodeSeconds,
                mb / memcpySeconds, memcpySeconds / decodeSeconds);
}

}  // namespace

int main(int argc, char** argv) {
    int size = argc > 1 ? std::atoi(argv[1]) : 4096;
    if (size <= 0 || size > 16384) {
        std::fprintf(stderr, "rct_bench: SIZE must be 1 to 16384\n");
        return 2;
    }
    std::printf("RCT benchmark: best of %d runs, output MB = 10^6 bytes of decoded pixels\n\n", kRepeats);
    Measure("illustration", Illustration(size));
    Measure("noisy gradient", NoisyGradient(size));
    for (int i = 2; i < argc; ++i) {
        RctImage image;
        bool alpha = false;
        std::string error;
        if (!ReadPictureFile(argv[i], image, alpha, error)) {
            std::fprintf(stderr, "rct_bench: %s\n", error.c_str());
            return 1;
        }
        Measure(argv[i], image);
    }
    return 0;
}
