#include "tools/varnok-pack/pack/deflate_policy.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace {

constexpr size_t kWindow = 8 << 10;
constexpr size_t kBytesPerWindow = 64 << 10;
constexpr size_t kMaxWindows = 8;

// Per mille saved by the sample. Below 0.4% the stored blocks are as small as
// zlib's output; compressed music and photographs save 0.6% to 3%, anything
// with repeats in it far more.
constexpr size_t kStorePerMille = 4;
constexpr size_t kCompressedPerMille = 40;
constexpr size_t kRepetitivePerMille = 450;

constexpr uint64_t kNearOptimalBytes = 1 << 20;
constexpr uint64_t kLargeFileBytes = 32 << 20;

constexpr size_t kNoiseWindow = 16 << 10;
constexpr size_t kNoiseRunWindows = 4;
constexpr double kNoiseBits = 7.97;

bool LooksLikeNoise(const unsigned char* data, size_t size) {
    std::array<uint32_t, 256> counts{};
    for (size_t i = 0; i < size; ++i)
        ++counts[data[i]];
    // The entropy is log2(size) - sum(c log2 c) / size.
    double sum = 0;
    for (uint32_t c : counts)
        sum += c > 1 ? c * std::log2(static_cast<double>(c)) : 0;
    auto n = static_cast<double>(size);
    return std::log2(n) - sum / n > kNoiseBits;
}

}  // namespace

DeflateSample SampleDeflate(libdeflate_compressor* sampler, const unsigned char* data, size_t size,
                            ByteBuffer& scratch) {
    // One window per 64 KiB, at most eight, spread from the first byte to
    // the last; a window that would grow counts as stored.
    size_t window = std::min(size, kWindow);
    size_t windows = std::clamp<size_t>(size / kBytesPerWindow, 1, kMaxWindows);
    unsigned char* out = scratch.Resize(window);
    DeflateSample sample;
    for (size_t i = 0; i < windows; ++i) {
        size_t at = windows == 1 ? 0 : (size - window) / (windows - 1) * i;
        size_t n = libdeflate_deflate_compress(sampler, data + at, window, out, window);
        sample.in += window;
        sample.out += n == 0 ? window : n;
    }
    return sample;
}

std::vector<DeflateStretch> FindNoise(const unsigned char* data, size_t size) {
    std::vector<DeflateStretch> stretches;
    auto add = [&](size_t length, bool store) {
        if (!stretches.empty() && stretches.back().store == store)
            stretches.back().length += length;
        else
            stretches.push_back(DeflateStretch{length, store});
    };
    size_t at = 0;
    while (at < size) {
        // A run of noise windows from `at`; a short one is compressed.
        size_t run = 0;
        while (size - (at + run) >= kNoiseWindow && LooksLikeNoise(data + at + run, kNoiseWindow))
            run += kNoiseWindow;
        size_t length = run > 0 ? run : std::min(kNoiseWindow, size - at);
        add(length, run >= kNoiseRunWindows * kNoiseWindow);
        at += length;
    }
    if (stretches.empty())
        add(0, false);
    return stretches;
}

DeflateKind ClassifySample(const DeflateSample& sample) {
    size_t saved = sample.in - std::min(sample.in, sample.out);
    if (saved * 1000 < sample.in * kStorePerMille || sample.in == 0)
        return DeflateKind::Store;
    if (saved * 1000 < sample.in * kCompressedPerMille)
        return DeflateKind::Compressed;
    if (saved * 1000 < sample.in * kRepetitivePerMille)
        return DeflateKind::Binary;
    return DeflateKind::Repetitive;
}

int SampleLibdeflateLevel(int level) { return std::min(level, 1) * 2; }

int LibdeflateLevel(DeflateKind kind, uint64_t size, int level) {
    if (level == 0 || kind == DeflateKind::Store)
        return 0;
    switch (kind) {
    case DeflateKind::Compressed:
        return 1;
    case DeflateKind::Binary:
        // libdeflate's near-optimal parser starts at level 10.
        if (size <= kNearOptimalBytes && level >= 6)
            return std::min(level + 4, 12);
        return size <= kLargeFileBytes ? level + 1 : level;
    default:
        return level;
    }
}
