#include "tools/varnok-pack/deflate_policy.h"

#include <algorithm>

namespace {

constexpr size_t kWindow = 8 << 10;
constexpr size_t kBytesPerWindow = 64 << 10;
constexpr size_t kMaxWindows = 8;

// Below 0.4% the stored blocks are as small as zlib's output; compressed
// music and photographs shrink by 0.6% to 3%, anything with repeats in it
// (text, fonts, programs, uncompressed pictures and sound) by far more.
constexpr size_t kStorePerMille = 4;
constexpr size_t kFastPerMille = 40;

}  // namespace

DeflateSample SampleDeflate(libdeflate_compressor* fast, const unsigned char* data, size_t size,
                            ByteBuffer& scratch) {
    // One window per 64 KiB, at most eight, spread from the first byte to
    // the last; a window that would grow counts as stored.
    size_t window = std::min(size, kWindow);
    size_t windows = std::clamp<size_t>(size / kBytesPerWindow, 1, kMaxWindows);
    unsigned char* out = scratch.Resize(window);
    DeflateSample sample;
    for (size_t i = 0; i < windows; ++i) {
        size_t at = windows == 1 ? 0 : (size - window) / (windows - 1) * i;
        size_t n = libdeflate_deflate_compress(fast, data + at, window, out, window);
        sample.in += window;
        sample.out += n == 0 ? window : n;
    }
    return sample;
}

DeflateEffort ChooseEffort(const DeflateSample& sample) {
    size_t saved = sample.in - std::min(sample.in, sample.out);
    if (saved * 1000 < sample.in * kStorePerMille || sample.in == 0)
        return DeflateEffort::Store;
    if (saved * 1000 < sample.in * kFastPerMille)
        return DeflateEffort::Fast;
    return DeflateEffort::Full;
}

int FastLibdeflateLevel(int level) { return std::min(level, 1) * 2; }

int LibdeflateLevel(DeflateEffort effort, int level) {
    switch (effort) {
    case DeflateEffort::Store:
        return 0;
    case DeflateEffort::Fast:
        return FastLibdeflateLevel(level);
    default:
        return level == 0 ? 0 : std::min(level + 1, 12);
    }
}

int ZlibLevel(DeflateEffort effort, int level) {
    return effort == DeflateEffort::Store ? 0 : effort == DeflateEffort::Fast ? std::min(level, 1) : level;
}
