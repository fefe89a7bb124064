// How hard to compress a file, or a chunk of a large one, judged from a
// quick compression of a sample of it. Data that does not shrink is stored.
// Data that shrinks only a little is already compressed (music, pictures):
// what deflate finds there is the skew of its bytes, not repeats, so a deeper
// search only costs time and a fast level is used. The rest gets the
// level asked for. The choice depends on the bytes alone, never on timing.
#pragma once

#include <cstddef>

#include <libdeflate.h>

#include "tools/varnok-pack/byte_buffer.h"

enum class DeflateEffort { Store, Fast, Full };

struct DeflateSample {
    size_t in = 0;   // bytes sampled
    size_t out = 0;  // their raw deflate size at the fast level
};

// Compresses a sample of data[0..size) with `fast` (a compressor at
// FastLibdeflateLevel): 8 KiB windows, one per 64 KiB of data, at most eight.
DeflateSample SampleDeflate(libdeflate_compressor* fast, const unsigned char* data, size_t size,
                            ByteBuffer& scratch);

DeflateEffort ChooseEffort(const DeflateSample& sample);

// The levels for an effort at zlib's `level`: libdeflate's for whole files
// (Full is one higher than asked, as libdeflate's own level of the same
// number gives slightly larger output than zlib's on text and pictures),
// zlib's for the chunks of large files.
int FastLibdeflateLevel(int level);
int LibdeflateLevel(DeflateEffort effort, int level);
int ZlibLevel(DeflateEffort effort, int level);
