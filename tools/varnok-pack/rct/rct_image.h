// Picture files for varnok-pack rct: PNG, BMP and binary PPM, chosen by the
// file name's extension (any case).
#pragma once

#include <string>
#include <vector>

#include "tools/varnok-pack/rct/rct_codec.h"

// Reads a PNG, BMP or PPM (any of them, whatever the extension). Grey and
// palette pictures become 24-bit; an alpha channel is dropped and reported
// through droppedAlpha. False with a message in error.
bool ReadPictureFile(const char* path, RctImage& image, bool& droppedAlpha, std::string& error);

// Writes .png, .bmp or .ppm (binary, P6). False with a message in error.
bool WritePictureFile(const char* path, const RctImage& image, std::string& error);

// The picture as a PNG file's bytes.
std::vector<unsigned char> EncodePng(const RctImage& image);
