#include "tools/varnok-pack/pack/parallel_deflate.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <memory>

#include "archive/stdio_file.h"
#include "tools/varnok-pack/host/byte_buffer.h"
#include "tools/varnok-pack/pack/deflate_policy.h"
#include "tools/varnok-pack/host/host_files.h"

namespace {

constexpr int64_t kWindow = 32768;

struct CompressorDeleter {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};
using Compressor = std::unique_ptr<libdeflate_compressor, CompressorDeleter>;

class DeflateStream {
public:
    DeflateStream() = default;
    DeflateStream(const DeflateStream&) = delete;
    DeflateStream& operator=(const DeflateStream&) = delete;
    ~DeflateStream() {
        if (live_)
            deflateEnd(&stream_);
    }
    bool InitRaw(int level) {
        live_ = deflateInit2(&stream_, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) == Z_OK;
        return live_;
    }
    z_stream* get() { return &stream_; }

private:
    z_stream stream_{};
    bool live_ = false;
};

// Reads bytes [offset, offset + length) of a file; with `wholeFile`, also
// checks that nothing follows them.
std::string ReadRange(const std::string& path, int64_t offset, int64_t length, bool wholeFile, ByteBuffer& data) {
    // Unbuffered: the reads go straight into the task's buffer.
    UniqueFile file(OpenPath(path, "rb"));
    if (!file || std::setvbuf(file.get(), nullptr, _IONBF, 0) != 0 || !SeekFile(file.get(), offset, SEEK_SET))
        return "'" + path + "': " + std::strerror(errno);
    unsigned char* buffer = data.Resize(static_cast<size_t>(length));
    if (std::fread(buffer, 1, static_cast<size_t>(length), file.get()) != static_cast<size_t>(length))
        return std::ferror(file.get()) ? "'" + path + "': " + std::strerror(errno)
                                       : "'" + path + "' got shorter while being packed";
    char extra;
    if (wholeFile && std::fread(&extra, 1, 1, file.get()) > 0)
        return "'" + path + "' got longer while being packed";
    return {};
}

// A thread's compressors, made as the levels are first needed.
class Compressors {
public:
    explicit Compressors(int level) : level_(level) {}
    // Null when out of memory.
    libdeflate_compressor* At(int libdeflateLevel) {
        Compressor& c = byLevel_[static_cast<size_t>(libdeflateLevel)];
        if (!c)
            c.reset(libdeflate_alloc_compressor(libdeflateLevel));
        return c.get();
    }
    libdeflate_compressor* Sampler() { return At(SampleLibdeflateLevel(level_)); }

private:
    int level_;
    std::array<Compressor, 13> byLevel_;
};

std::string CompressWhole(Compressors& c, int level, const ByteBuffer& in, ByteBuffer& scratch, std::string& out) {
    libdeflate_compressor* sampler = c.Sampler();
    if (!sampler)
        return "out of memory";
    DeflateKind kind = ClassifySample(SampleDeflate(sampler, in.data(), in.size(), scratch));
    libdeflate_compressor* compressor = c.At(LibdeflateLevel(kind, in.size(), level));
    if (!compressor)
        return "out of memory";
    size_t bound = libdeflate_zlib_compress_bound(compressor, in.size());
    size_t n = libdeflate_zlib_compress(compressor, in.data(), in.size(), scratch.Resize(bound), bound);
    if (n == 0)
        return "compression failed";
    // The header's level field is informative only; it names the level asked
    // for, whatever compressor ran, so every stream starts alike (78 9C at 6).
    out = ZlibHeader(level);
    out.append(reinterpret_cast<const char*>(scratch.data()) + 2, n - 2);
    return {};
}

// Raw deflate of in[dictLength..], primed with in[0..dictLength).
std::string CompressChunk(int level, const ByteBuffer& in, size_t dictLength, bool last, ByteBuffer& scratch,
                          std::string& out) {
    DeflateStream z;
    if (!z.InitRaw(level))
        return "out of memory";
    z_stream* s = z.get();
    if (dictLength > 0 && deflateSetDictionary(s, in.data(), static_cast<uInt>(dictLength)) != Z_OK)
        return "compression failed";
    size_t length = in.size() - dictLength;
    // Room for the sync flush's empty stored block beyond the bound.
    size_t bound = deflateBound(s, static_cast<uLong>(length)) + 16;
    s->next_in = in.data() + dictLength;
    s->avail_in = static_cast<uInt>(length);
    s->next_out = scratch.Resize(bound);
    s->avail_out = static_cast<uInt>(bound);
    int rc = deflate(s, last ? Z_FINISH : Z_SYNC_FLUSH);
    bool complete = last ? rc == Z_STREAM_END : rc == Z_OK && s->avail_in == 0 && s->avail_out > 0;
    if (!complete)
        return "compression failed";
    out.assign(reinterpret_cast<const char*>(scratch.data()), bound - s->avail_out);
    return {};
}

}  // namespace

std::string ZlibHeader(int level) {
    unsigned flags = level < 2 ? 0 : level < 6 ? 1 : level == 6 ? 2 : 3;
    unsigned header = (0x78u << 8) | (flags << 6);
    header += 31 - header % 31;
    return std::string{static_cast<char>(header >> 8), static_cast<char>(header & 0xFF)};
}

ParallelDeflater::ParallelDeflater(std::vector<DeflateSource> files, int threads, int level, DeflateLimits limits)
    : files_(std::move(files)), level_(level) {
    for (size_t i = 0; i < files_.size(); ++i) {
        int64_t size = files_[i].size;
        if (size <= limits.wholeFile) {
            tasks_.push_back(Task{i, 0, size, true, true});
            continue;
        }
        for (int64_t offset = 0; offset < size; offset += limits.chunk) {
            int64_t length = std::min(limits.chunk, size - offset);
            tasks_.push_back(Task{i, offset, length, false, offset + length == size});
        }
    }
    results_.resize(tasks_.size());
    for (const Task& task : tasks_)
        largestRead_ = std::max(largestRead_, Cost(task));
    threads = std::max(threads, 1);
    budget_ = std::max<int64_t>(2 * limits.wholeFile, 2 * threads * (limits.chunk + kWindow));
    for (int i = 0; i < threads; ++i)
        threads_.emplace_back(&ParallelDeflater::Work, this);
}

ParallelDeflater::~ParallelDeflater() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    workReady_.notify_all();
    for (std::thread& t : threads_)
        t.join();
}

int64_t ParallelDeflater::Cost(const Task& task) const { return task.length + (task.whole ? 0 : kWindow); }

void ParallelDeflater::Work() {
    Compressors compressors(level_);
    // Sized once for the largest task: a buffer that grows in steps costs a
    // fresh page fault for every page at every step.
    ByteBuffer in;
    ByteBuffer scratch;
    auto largest = static_cast<size_t>(largestRead_);
    in.Reserve(largest);
    scratch.Reserve(libdeflate_zlib_compress_bound(nullptr, largest));
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        // Tasks are taken in order, so the one the reader waits for is never
        // held back: when it is next, everything before it was handed out.
        workReady_.wait(lock, [&] {
            return stop_ || nextTask_ == tasks_.size() || inFlight_ == 0 ||
                   inFlight_ + Cost(tasks_[nextTask_]) <= budget_;
        });
        if (stop_ || nextTask_ == tasks_.size())
            return;
        size_t index = nextTask_++;
        const Task task = tasks_[index];
        inFlight_ += Cost(task);
        lock.unlock();

        Result result;
        const std::string& path = files_[task.file].path;
        int64_t dictLength = task.whole ? 0 : std::min(kWindow, task.offset);
        result.error = ReadRange(path, task.offset - dictLength, task.length + dictLength, task.whole, in);
        if (result.error.empty() && task.whole)
            result.error = CompressWhole(compressors, level_, in, scratch, result.data);
        if (result.error.empty() && !task.whole) {
            const unsigned char* chunk = in.data() + dictLength;
            auto length = static_cast<size_t>(task.length);
            DeflateKind kind = DeflateKind::Repetitive;
            if (libdeflate_compressor* sampler = compressors.Sampler())
                kind = ClassifySample(SampleDeflate(sampler, chunk, length, scratch));
            result.error = CompressChunk(ZlibLevel(kind, level_), in, static_cast<size_t>(dictLength), task.last,
                                         scratch, result.data);
            result.adler = libdeflate_adler32(1, chunk, length);
        }

        lock.lock();
        result.ready = true;
        results_[index] = std::move(result);
        resultReady_.notify_all();
    }
}

bool ParallelDeflater::Next(DeflatePiece& piece, std::string& error) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (nextResult_ == tasks_.size()) {
        error = "no more pieces";
        return false;
    }
    resultReady_.wait(lock, [&] { return results_[nextResult_].ready; });
    size_t index = nextResult_++;
    Result result = std::move(results_[index]);
    const Task task = tasks_[index];
    inFlight_ -= Cost(task);
    lock.unlock();
    workReady_.notify_all();

    if (!result.error.empty()) {
        error = result.error;
        return false;
    }
    piece.file = task.file;
    piece.last = task.last;
    piece.inputBytes = task.length;
    piece.data = std::move(result.data);
    if (!task.whole) {
        if (task.offset == 0) {
            piece.data.insert(0, ZlibHeader(level_));
            adler_ = 1;
        }
        adler_ = adler32_combine(adler_, result.adler, static_cast<z_off_t>(task.length));
        if (task.last) {
            for (int shift = 24; shift >= 0; shift -= 8)
                piece.data += static_cast<char>((adler_ >> shift) & 0xFF);
        }
    }
    return true;
}
