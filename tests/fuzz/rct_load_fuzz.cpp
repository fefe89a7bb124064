// The RCT loader and decoder over a file in memory. A picture left behind
// by a damaged file is blank; the record's texts stay terminated.
#include <sanitizer/asan_interface.h>

#include <cstring>
#include <memory>

#include "resfile/rct_picture.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

// Larger pictures are refused like a surface that cannot be created, so
// that a header alone cannot ask for gigabytes.
constexpr size_t kMaxPixelBytes = 1 << 22;

// Pixel memory made once: a fresh block per run was mapped, filled and
// unmapped by the sanitizer's allocator, most of the run's time. Each
// picture ends where the block does, so the block's redzone follows it, and
// the bytes before it are poisoned: a stray write either way still traps.
unsigned char* PixelArena() {
    static std::unique_ptr<unsigned char[]> arena(new unsigned char[kMaxPixelBytes]);
    return arena.get();
}

class MemoryPicture : public RctLoadCallback {
public:
    MemoryPicture(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    FILE* OpenFile(const char*) override { return OpenFuzzInput(data_, size_).release(); }
    bool RetryShortFile(const char*) override { return false; }
    unsigned char* CreatePixels(int32_t width, int32_t height, int32_t& stride) override {
        FUZZ_CHECK(!pixels);
        FUZZ_CHECK(RctPictureBytes(width, height) > 0);
        stride = (3 * width + 3) & ~3;  // DIB rows
        size_t bytes = static_cast<size_t>(stride) * static_cast<size_t>(height);
        if (bytes > kMaxPixelBytes)
            return nullptr;
        unsigned char* arena = PixelArena();
        pixels = arena + (kMaxPixelBytes - bytes);
        pixelBytes = bytes;
        ASAN_POISON_MEMORY_REGION(arena, kMaxPixelBytes - bytes);
        ASAN_UNPOISON_MEMORY_REGION(pixels, bytes);
        std::memset(pixels, 0xAA, bytes);
        return pixels;
    }
    bool AllZero() const {
        return pixelBytes == 0 || (pixels[0] == 0 && std::memcmp(pixels, pixels + 1, pixelBytes - 1) == 0);
    }
    unsigned char* pixels = nullptr;
    size_t pixelBytes = 0;

private:
    const uint8_t* data_;
    size_t size_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryPicture picture(data, size);
    RctLoadStatus status = LoadRct("fuzz.rct", picture);
    if (status == RctLoadStatus::TrailerMismatch || status == RctLoadStatus::BadStream)
        FUZZ_CHECK(picture.AllZero());
    if (!RctLoadGavePicture(status))
        FUZZ_CHECK(!picture.pixels || status == RctLoadStatus::NoPixels);
    FUZZ_CHECK(std::memchr(LastPictureRecord.name, '\0', sizeof LastPictureRecord.name) != nullptr);
    FUZZ_CHECK(std::memchr(LastPictureRecord.fileName, '\0', sizeof LastPictureRecord.fileName) != nullptr);
    return 0;
}
