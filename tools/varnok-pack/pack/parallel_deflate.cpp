#include "tools/varnok-pack/pack/parallel_deflate.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

#include "archive/stdio_file.h"
#include "tools/varnok-pack/host/byte_buffer.h"
#include "tools/varnok-pack/pack/deflate_join.h"
#include "tools/varnok-pack/pack/deflate_policy.h"
#include "tools/varnok-pack/host/host_files.h"

namespace {

struct CompressorDeleter {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};
using Compressor = std::unique_ptr<libdeflate_compressor, CompressorDeleter>;

// Reads bytes [offset, offset + length) of a file; with `toEnd`, also
// checks that nothing follows them.
std::string ReadRange(const std::string& path, int64_t offset, int64_t length, bool toEnd, ByteBuffer& data) {
    // Unbuffered: the reads go straight into the task's buffer.
    UniqueFile file(OpenPath(path, "rb"));
    if (!file || std::setvbuf(file.get(), nullptr, _IONBF, 0) != 0 || !SeekFile(file.get(), offset, SEEK_SET))
        return "'" + path + "': " + std::strerror(errno);
    unsigned char* buffer = data.Resize(static_cast<size_t>(length));
    if (std::fread(buffer, 1, static_cast<size_t>(length), file.get()) != static_cast<size_t>(length))
        return std::ferror(file.get()) ? "'" + path + "': " + std::strerror(errno)
                                       : "'" + path + "' got shorter while being packed";
    char extra;
    if (toEnd && std::fread(&extra, 1, 1, file.get()) > 0)
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

// Raw deflate of a file of `fileSize` bytes or of one chunk of it: stretches
// of noise stored, the rest at the level the piece's sample asks for. The
// first piece starts with the zlib header; each stretch but the file's very
// last ends as a sync flush would, so that they all joined make one stream.
std::string CompressPiece(Compressors& c, int level, int64_t fileSize, bool first, bool last, const ByteBuffer& in,
                          ByteBuffer& scratch, std::string& out) {
    libdeflate_compressor* sampler = c.Sampler();
    if (!sampler)
        return "out of memory";
    DeflateKind kind = ClassifySample(SampleDeflate(sampler, in.data(), in.size(), scratch));
    int pieceLevel = LibdeflateLevel(kind, static_cast<uint64_t>(fileSize), level);
    std::vector<DeflateStretch> stretches = pieceLevel == 0 ? std::vector<DeflateStretch>{{in.size(), true}}
                                                            : FindNoise(in.data(), in.size());
    // The header's level field is informative only; it names the level asked
    // for, whatever compressor ran, so every stream starts alike (78 9C at 6).
    out = first ? ZlibHeader(level) : std::string();
    out.reserve(out.size() + libdeflate_deflate_compress_bound(nullptr, in.size()) + 8 * stretches.size());
    const unsigned char* data = in.data();
    for (size_t i = 0; i < stretches.size(); ++i) {
        size_t length = stretches[i].length;
        libdeflate_compressor* compressor = c.At(stretches[i].store ? 0 : pieceLevel);
        if (!compressor)
            return "out of memory";
        size_t bound = libdeflate_deflate_compress_bound(compressor, length);
        size_t n = libdeflate_deflate_compress(compressor, data, length, scratch.Resize(bound), bound);
        if (n == 0)
            return "compression failed";
        size_t start = out.size();
        out.append(reinterpret_cast<const char*>(scratch.data()), n);
        if (!last || i + 1 < stretches.size()) {
            std::string error = UnfinishDeflateStream(out, start, data, length);
            if (!error.empty())
                return error;
        }
        data += length;
    }
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
            tasks_.push_back(Task{i, 0, size, true});
            continue;
        }
        for (int64_t offset = 0; offset < size; offset += limits.chunk) {
            int64_t length = std::min(limits.chunk, size - offset);
            tasks_.push_back(Task{i, offset, length, offset + length == size});
        }
    }
    results_.resize(tasks_.size());
    for (const Task& task : tasks_)
        largestRead_ = std::max(largestRead_, task.length);
    threads = std::max(threads, 1);
    budget_ = std::max<int64_t>(2 * limits.wholeFile, 2 * threads * limits.chunk);
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
                   inFlight_ + tasks_[nextTask_].length <= budget_;
        });
        if (stop_ || nextTask_ == tasks_.size())
            return;
        size_t index = nextTask_++;
        const Task task = tasks_[index];
        inFlight_ += task.length;
        lock.unlock();

        Result result;
        const std::string& path = files_[task.file].path;
        result.error = ReadRange(path, task.offset, task.length, task.last, in);
        if (result.error.empty()) {
            result.error = CompressPiece(compressors, level_, files_[task.file].size, task.offset == 0, task.last, in,
                                         scratch, result.data);
            result.adler = libdeflate_adler32(1, in.data(), in.size());
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
    inFlight_ -= task.length;
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
    adler_ = adler32_combine(task.offset == 0 ? 1 : adler_, result.adler, static_cast<z_off_t>(task.length));
    if (task.last) {
        for (int shift = 24; shift >= 0; shift -= 8)
            piece.data += static_cast<char>((adler_ >> shift) & 0xFF);
    }
    return true;
}
