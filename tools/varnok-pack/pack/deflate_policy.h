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
//               search one level up, and in files over 32 MiB (containers
//               of the engine's own, whose stored noise keeps them well
//               below zlib's size) the level asked for: one up saves 0.2%
//               there for a quarter more time
//   Repetitive  it shrinks to half or less (text, pictures): the lazy
//               search at the level asked for; near-optimal parsing there
//               costs six times as much for the same 5%
//
// Within a file, long runs of noise (entries compressed already) are stored
// whatever its kind (FindNoise). Taken together the levels give output no
// larger than zlib's at the same level on a game's mix of files, at a
// fraction of its time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

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

// A run of a file's bytes compressed alike.
struct DeflateStretch {
    size_t length = 0;
    bool store = false;
};

// Cuts data[0..size) into stretches to store and stretches to compress, at
// least one: every run of 64 KiB or more of 16 KiB windows that look like
// noise is stored. A window looks like noise when its bytes' entropy is
// above 7.97 bits, as in compressed data, which deflate would shrink by
// less than 0.4% for the time of compressing it; a packed data file holds
// such entries among pictures and scripts that shrink well.
std::vector<DeflateStretch> FindNoise(const unsigned char* data, size_t size);

// The levels at zlib's `level` (0 to 9): libdeflate's for a file of `size`
// bytes, or a chunk of one.
int SampleLibdeflateLevel(int level);
int LibdeflateLevel(DeflateKind kind, uint64_t size, int level);
