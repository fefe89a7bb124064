// How hard to compress a file, or a chunk of a large one, judged from a
// quick compression of a sample of it. The choice depends on the bytes alone,
// never on timing, so the same folder always packs to the same archive.
//
//   Store       it does not shrink: stored blocks are as small as zlib's
//   Compressed  it shrinks a little (music, photographs): what deflate finds
//               there is the skew of the bytes, not repeats, and the fastest
//               level finds as much as any
//   Binary      it shrinks, but to more than half (sounds, programs, fonts):
//               repeats are few and short, and choosing well between them
//               and literals pays most; near-optimal parsing gains about 5%
//               over the lazy search for 2.5 times its time, so from level 6
//               up it is used for files up to 1 MiB; otherwise the lazy
//               search one level up
//   Repetitive  it shrinks to half or less (text, pictures): the lazy
//               search at the level asked for; near-optimal parsing there
//               costs six times as much for the same 5%
//
// Taken together the levels give output no larger than zlib's at the same
// level on a game's mix of files, at a fraction of its time.
#pragma once

#include <cstddef>

#include <libdeflate.h>

#include "tools/varnok-pack/host/byte_buffer.h"

enum class DeflateKind { Store, Compressed, Binary, Repetitive };

struct DeflateSample {
    size_t in = 0;   // bytes sampled
    size_t out = 0;  // their raw deflate size at SampleLibdeflateLevel
};

// Compresses a sample of data[0..size) with `sampler` (a compressor at
// SampleLibdeflateLevel): 8 KiB windows, one per 64 KiB of data, at most eight.
DeflateSample SampleDeflate(libdeflate_compressor* sampler, const unsigned char* data, size_t size,
                            ByteBuffer& scratch);

DeflateKind ClassifySample(const DeflateSample& sample);

// The levels at zlib's `level` (0 to 9): libdeflate's for a whole file of
// `size` bytes, zlib's for the chunks of a large one.
int SampleLibdeflateLevel(int level);
int LibdeflateLevel(DeflateKind kind, size_t size, int level);
int ZlibLevel(DeflateKind kind, int level);
