#include "resfile/rct_format.h"

#include <algorithm>
#include <cstring>

#include "shell/little_endian.h"

unsigned char RctKeyTable[kRctKeySize] = {};

namespace {

constexpr unsigned char kMagicPrefix[4] = {0x98, 0x5A, 0x92, 0x9A};
constexpr const char* kVariantNames[] = {"TC00", "TS00", "TC01", "TS01"};
constexpr int64_t kMaxPictureBytes = 0x7FFFFFFF;

// Copies len bytes from dist bytes back, as a forward byte-by-byte copy
// would: a source that overlaps the destination repeats its pattern. The
// copied region stays periodic, so it is done in growing memcpy blocks.
void CopyBack(unsigned char* dst, size_t dist, size_t len) {
    const unsigned char* src = dst - dist;
    if (len <= 12) {  // most copies are short: no call for them
        for (size_t k = 0; k < len; ++k)
            dst[k] = src[k];
        return;
    }
    size_t done = 0;
    while (done < len) {
        size_t n = std::min(done + dist, len - done);
        std::memcpy(dst + done, src, n);
        done += n;
    }
}

}  // namespace

const char* RctVariantName(RctVariant variant) { return kVariantNames[static_cast<int>(variant)]; }

bool ParseRctVariantName(const char* text, RctVariant& variant) {
    for (int v = 0; v < 4; ++v) {
        if (std::strcmp(text, kVariantNames[v]) == 0) {
            variant = static_cast<RctVariant>(v);
            return true;
        }
    }
    return false;
}

bool ParseRctHeader(const unsigned char (&bytes)[kRctHeaderSize], RctHeader& header) {
    if (std::memcmp(bytes, kMagicPrefix, sizeof kMagicPrefix) != 0)
        return false;
    int v = 0;
    while (v < 4 && std::memcmp(bytes + 4, kVariantNames[v], 4) != 0)
        ++v;
    if (v == 4)
        return false;
    header.variant = static_cast<RctVariant>(v);
    header.width = static_cast<int32_t>(LoadU32(bytes + 8));
    header.height = static_cast<int32_t>(LoadU32(bytes + 12));
    header.dataSize = LoadU32(bytes + 16);
    return true;
}

void FormatRctHeader(const RctHeader& header, unsigned char (&bytes)[kRctHeaderSize]) {
    std::memcpy(bytes, kMagicPrefix, sizeof kMagicPrefix);
    std::memcpy(bytes + 4, RctVariantName(header.variant), 4);
    StoreU32(bytes + 8, static_cast<uint32_t>(header.width));
    StoreU32(bytes + 12, static_cast<uint32_t>(header.height));
    StoreU32(bytes + 16, header.dataSize);
}

int64_t RctPictureBytes(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0)
        return 0;
    int64_t stride = (3 * int64_t{width} + 3) / 4 * 4;
    if (stride > kMaxPictureBytes / height)
        return 0;
    return 3 * int64_t{width} * height;
}

int64_t RctMostDecodedBytes(size_t size) {
    if (size < 3)
        return 0;
    return 3 + static_cast<int64_t>(size - 3) * (kRctCountMax + kRctCopyLongMin);
}

void ApplyRctKey(unsigned char* stream, size_t size) {
    size_t whole = size - size % kRctKeySize;
    for (size_t block = 0; block < whole; block += kRctKeySize) {
        for (size_t w = 0; w < kRctKeySize; w += 4) {
            uint32_t data, key;
            std::memcpy(&data, stream + block + w, 4);
            std::memcpy(&key, RctKeyTable + w, 4);
            data ^= key;
            std::memcpy(stream + block + w, &data, 4);
        }
    }
    for (size_t p = whole; p < size; ++p)
        stream[p] ^= RctKeyTable[p % kRctKeySize];
}

bool HasRctTrailer(const unsigned char* stream, size_t size) {
    return size >= kRctTrailerSize && stream[size - 2] == 'T' && stream[size - 1] == 'S';
}

void BuildBackRefOffsets(int32_t width, int64_t (&offsets)[kRctOffsetCount]) {
    const int64_t row = 3 * int64_t{width};
    int k = 0;
    for (int back = 1; back <= 6; ++back)
        offsets[k++] = -3 * back;
    for (int up = 1; up <= 3; ++up) {
        for (int shift = 3; shift >= -3; --shift)
            offsets[k++] = 3 * shift - up * row;
    }
    for (int shift = 2; shift >= -2; --shift)
        offsets[k++] = 3 * shift - 4 * row;
}

int64_t DecompressRct(const unsigned char* in, size_t size, unsigned char* out, int32_t width, int32_t height) {
    const int64_t picture = RctPictureBytes(width, height);
    if (picture == 0 || size < 3)
        return -1;
    const size_t total = static_cast<size_t>(picture);
    int64_t offsets[kRctOffsetCount];
    BuildBackRefOffsets(width, offsets);

    std::memcpy(out, in, 3);
    size_t i = 3, j = 3;
    while (j < total) {
        if (i >= size)
            return -1;
        const unsigned c = in[i++];
        const bool literal = c < 0x80;
        size_t count = 0;
        if (c == 0x7F || (!literal && (c & 3) == 3)) {
            if (size - i < 2)
                return -1;
            count = LoadU16(in + i);
            i += 2;
        }
        if (literal) {
            size_t run = c == 0x7F ? 3 * (count + kRctLiteralLongMin) : 3 * (c + 1);
            if (run > size - i || run > total - j)
                return -1;
            std::memcpy(out + j, in + i, run);
            i += run;
            j += run;
        } else {
            const int64_t offset = offsets[(c >> 2) & 0x1F];
            size_t len = (c & 3) == 3 ? 3 * (count + kRctCopyLongMin) : 3 * ((c & 3) + 1);
            if (len > total - j)
                return -1;
            if (offset < 0) {
                if (-offset > static_cast<int64_t>(j))
                    return -1;
                CopyBack(out + j, static_cast<size_t>(-offset), len);
            } else {
                // In very narrow pictures a "row above" can lie at or ahead
                // of the output: those bytes are not written yet and read as
                // the fresh picture's zeros, as a byte-by-byte copy would.
                if (static_cast<uint64_t>(offset) > total - j - len)
                    return -1;
                std::memmove(out + j, out + j + offset, len);
            }
            j += len;
        }
    }
    return static_cast<int64_t>(i);
}

void SpreadRctRows(unsigned char* pixels, int32_t width, int32_t height, int32_t stride) {
    const size_t packed = 3 * static_cast<size_t>(width);
    if (static_cast<size_t>(stride) == packed)
        return;
    for (size_t r = static_cast<size_t>(height) - 1; r > 0; --r)
        std::memmove(pixels + r * static_cast<size_t>(stride), pixels + r * packed, packed);
}
