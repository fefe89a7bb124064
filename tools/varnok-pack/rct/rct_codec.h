// RCT pictures in memory: the encoder, and decoding a file into memory
// through the installer's own loader.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "resfile/rct_picture.h"

// A 24-bit picture: rows top to bottom, packed, 3 bytes blue, green, red.
struct RctImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<unsigned char> bgr;
};

// The pixel stream (no trailer) of a picture of at least one pixel. The
// parse is optimal for its cost model: every pixel may start a literal run
// or a copy from any of the 32 positions, short copies and the longest match
// per position are weighed by the bytes they cost until the picture's end.
std::vector<unsigned char> EncodeRctStream(const RctImage& image);

// A whole file: header, the name for the "01" variants (at most 65535
// bytes, written as given), the stream, and for the "TS" variants the
// trailer with the key applied.
std::vector<unsigned char> EncodeRctFile(const RctImage& image, RctVariant variant, std::string_view name);

// Reads and decodes a file with the installer's loader (a short file is not
// retried beyond its read attempts). The picture is left in image whenever
// RctLoadGavePicture(result).
RctLoadStatus DecodeRctFile(const char* path, RctImage& image);
