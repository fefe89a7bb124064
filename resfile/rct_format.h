// The RCT picture format: a small lossless format for 24-bit pictures.
// All integers little-endian.
//
//   8    magic: 98 5A 92 9A, then "TC00", "TS00", "TC01" or "TS01"
//   i32  width, i32 height (both greater than 0)
//   u32  data size: bytes of the pixel stream
//   u16  name length n, then n name bytes        ("01" variants only)
//   data size bytes of pixel stream              ("TS" variants: keyed, and
//                                                  ending in the trailer "TS")
//
// The pixel stream holds the first pixel verbatim, then control bytes:
//   0x00-0x7E  literal run of c + 1 pixels
//   0x7F m16   literal run of m + 128 pixels
//   1kkkkkll   copy of ll + 1 pixels from BackRefOffsets[k] (ll < 3)
//   1kkkkk11 m16  copy of m + 4 pixels from BackRefOffsets[k]
// Pixels are blue, green, red; rows run top to bottom, packed 3 x width
// bytes apart while decoding.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kRctHeaderSize = 20;
constexpr int kRctOffsetCount = 32;
constexpr size_t kRctKeySize = 1024;
constexpr size_t kRctTrailerSize = 2;

constexpr unsigned kRctLiteralShortMax = 127;   // pixels of a one-byte literal run
constexpr unsigned kRctLiteralLongMin = 128;    // pixels of 0x7F with count 0
constexpr unsigned kRctCopyShortMax = 3;        // pixels of a one-byte copy
constexpr unsigned kRctCopyLongMin = 4;         // pixels of a long copy with count 0
constexpr unsigned kRctCountMax = 0xFFFF;

// In the order the decoder tests the magics.
enum class RctVariant { TC00, TS00, TC01, TS01 };

inline bool RctHasName(RctVariant v) { return v == RctVariant::TC01 || v == RctVariant::TS01; }
inline bool RctIsKeyed(RctVariant v) { return v == RctVariant::TS00 || v == RctVariant::TS01; }

// "TC00" ... "TS01".
const char* RctVariantName(RctVariant variant);
// False when the text names none of the four.
bool ParseRctVariantName(const char* text, RctVariant& variant);

struct RctHeader {
    RctVariant variant = RctVariant::TC00;
    int32_t width = 0;
    int32_t height = 0;
    uint32_t dataSize = 0;
};

// False when the magic is none of the four; the sizes are not judged here.
bool ParseRctHeader(const unsigned char (&bytes)[kRctHeaderSize], RctHeader& header);
void FormatRctHeader(const RctHeader& header, unsigned char (&bytes)[kRctHeaderSize]);

// Bytes of the packed picture, 3 x width x height; 0 when width or height is
// 0 or less, or when the picture with its rows padded to 4 bytes would not
// fit in 2^31 - 1 bytes (the most a 32-bit process can address as one DIB).
int64_t RctPictureBytes(int32_t width, int32_t height);

// The most packed picture bytes a stream of `size` bytes can decode to:
// the first pixel, then a long copy (3 bytes, up to 65539 pixels) for every
// 3 bytes left. A picture larger than that cannot come from the stream.
int64_t RctMostDecodedBytes(size_t size);

// XORed over the stream of the "TS" variants. All zero: nothing sets it.
extern unsigned char RctKeyTable[kRctKeySize];

// Byte p ^= RctKeyTable[p mod 1024]: 32-bit words over whole 1024-byte
// blocks, single bytes after. Its own inverse.
void ApplyRctKey(unsigned char* stream, size_t size);

// True when the keyed stream ends in "TS".
bool HasRctTrailer(const unsigned char* stream, size_t size);

// Byte offsets of the 32 copy sources from the current output position:
// 1-6 pixels back on the row, then 7 positions on each of the three rows
// above and 5 on the fourth. Rows are 3 x width bytes apart (packed).
void BuildBackRefOffsets(int32_t width, int64_t (&offsets)[kRctOffsetCount]);

// Decodes the pixel stream (without a trailer) into out, which holds
// RctPictureBytes(width, height) bytes of packed rows. Returns the stream
// bytes consumed, or -1 when the stream is malformed: it ends inside a
// control byte, count or run; a run or copy reaches past the picture; a copy
// reads from before the picture or from bytes not yet written. out may then
// hold part of the picture.
int64_t DecompressRct(const unsigned char* stream, size_t size, unsigned char* out, int32_t width, int32_t height);

// Moves packed rows to rows `stride` bytes apart, last row first; the
// padding bytes are left as they are.
void SpreadRctRows(unsigned char* pixels, int32_t width, int32_t height, int32_t stride);
