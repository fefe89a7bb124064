#include "tools/varnok-pack/pack/deflate_join.h"

#include <zlib.h>

#include <cstring>
#include <memory>

namespace {

class RawInflate {
public:
    RawInflate() { live_ = inflateInit2(&stream_, -15) == Z_OK; }
    RawInflate(const RawInflate&) = delete;
    RawInflate& operator=(const RawInflate&) = delete;
    ~RawInflate() {
        if (live_)
            inflateEnd(&stream_);
    }
    bool live() const { return live_; }
    z_stream* get() { return &stream_; }

private:
    z_stream stream_{};
    bool live_ = false;
};

// inflate()'s data_type after a Z_BLOCK stop: the unused bits of the last
// byte read, the final block's flag, and "at a block boundary".
constexpr int kUnusedBits = 7;
constexpr int kInFinalBlock = 64;
constexpr int kAtBlockBoundary = 128;

}  // namespace

std::string UnfinishDeflateStream(std::string& stream, size_t start, const unsigned char* input, size_t inputSize) {
    RawInflate z;
    if (!z.live())
        return "out of memory";
    z_stream* s = z.get();
    if (stream.size() <= start)
        return "compression made an empty stream";
    auto* bytes = reinterpret_cast<unsigned char*>(stream.data()) + start;
    size_t size = stream.size() - start;
    s->next_in = bytes;
    s->avail_in = static_cast<uInt>(size);
    // The inflated bytes are not kept: zlib keeps its own window.
    constexpr size_t kSink = 64 << 10;
    std::unique_ptr<unsigned char[]> sink(new unsigned char[kSink]);
    size_t inflated = 0;
    // Where the block being inflated began: its first bit holds its final flag.
    size_t headerByte = 0;
    unsigned headerBit = 0;
    for (;;) {
        s->next_out = sink.get();
        s->avail_out = static_cast<uInt>(kSink);
        int rc = inflate(s, Z_BLOCK);
        size_t produced = kSink - s->avail_out;
        if (rc != Z_OK || produced > inputSize - inflated || std::memcmp(sink.get(), input + inflated, produced) != 0)
            return "compression made a stream that does not inflate to its input";
        inflated += produced;
        if (!(s->data_type & kAtBlockBoundary))
            continue;
        if (s->data_type & kInFinalBlock)
            break;
        auto unused = static_cast<unsigned>(s->data_type & kUnusedBits);
        headerByte = static_cast<size_t>(s->next_in - bytes) - (unused > 0 ? 1 : 0);
        headerBit = unused > 0 ? 8 - unused : 0;
    }
    auto unused = static_cast<unsigned>(s->data_type & kUnusedBits);
    if (s->avail_in != 0 || inflated != inputSize)
        return "compression made a stream that does not inflate to its input";
    bytes[headerByte] = static_cast<unsigned char>(bytes[headerByte] & ~(1u << headerBit));
    // The stored block's three header bits go into the last byte's unused
    // bits when they fit, else into a byte of their own; it then starts at
    // the next byte with its length, 0, and the length's complement.
    bytes[size - 1] = static_cast<unsigned char>(bytes[size - 1] & (0xFFu >> unused));
    if (unused < 3)
        stream += '\0';
    stream.append("\x00\x00\xFF\xFF", 4);
    return {};
}
