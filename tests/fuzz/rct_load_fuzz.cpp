// The RCT loader and decoder over a file in memory. A picture left behind
// by a damaged file is blank; the record's texts stay terminated.
#include <algorithm>
#include <cstring>
#include <vector>

#include "resfile/rct_picture.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

class MemoryPicture : public RctLoadCallback {
public:
    // Larger pictures are refused like a surface that cannot be created,
    // so that a header alone cannot ask for gigabytes.
    static constexpr size_t kMaxPixelBytes = 1 << 22;

    MemoryPicture(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    FILE* OpenFile(const char*) override { return OpenFuzzInput(data_, size_).release(); }
    bool RetryShortFile(const char*) override { return false; }
    unsigned char* CreatePixels(int32_t width, int32_t height, int32_t& stride) override {
        FUZZ_CHECK(pixels.empty());
        FUZZ_CHECK(RctPictureBytes(width, height) > 0);
        stride = (3 * width + 3) & ~3;  // DIB rows
        size_t bytes = static_cast<size_t>(stride) * static_cast<size_t>(height);
        if (bytes > kMaxPixelBytes)
            return nullptr;
        pixels.assign(bytes, 0xAA);
        return pixels.data();
    }
    std::vector<unsigned char> pixels;

private:
    const uint8_t* data_;
    size_t size_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryPicture picture(data, size);
    RctLoadStatus status = LoadRct("fuzz.rct", picture);
    if (status == RctLoadStatus::TrailerMismatch || status == RctLoadStatus::BadStream)
        FUZZ_CHECK(std::all_of(picture.pixels.begin(), picture.pixels.end(), [](unsigned char b) { return b == 0; }));
    if (!RctLoadGavePicture(status))
        FUZZ_CHECK(picture.pixels.empty() || status == RctLoadStatus::NoPixels);
    FUZZ_CHECK(std::memchr(LastPictureRecord.name, '\0', sizeof LastPictureRecord.name) != nullptr);
    FUZZ_CHECK(std::memchr(LastPictureRecord.fileName, '\0', sizeof LastPictureRecord.fileName) != nullptr);
    return 0;
}
