#include "tools/varnok-pack/reader/parallel_inflate.h"

#include <libdeflate.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>

#include "archive/stdio_file.h"
#include "tools/varnok-pack/host/byte_buffer.h"
#include "tools/varnok-pack/host/host_files.h"

namespace {

// Forwards to the real output and keeps whether the current file was made
// and the bytes written to it; each thread has its own.
class CountingCallback : public ExtractCallback {
public:
    explicit CountingCallback(ExtractCallback& inner) : inner_(inner) {}
    bool CreateFolder(const char* path) override { return inner_.CreateFolder(path); }
    FILE* CreateOutputFile(const char* path) override {
        FILE* file = inner_.CreateOutputFile(path);
        created = file != nullptr;
        return file;
    }
    void BeginFile(const char* path, int32_t size) override {
        written = 0;
        inner_.BeginFile(path, size);
    }
    void Progress(int64_t bytes, int32_t count) override {
        written = bytes;
        inner_.Progress(bytes, count);
    }
    void SetFileTime(const char* path, uint64_t fileTime) override { inner_.SetFileTime(path, fileTime); }
    bool created = false;
    int64_t written = 0;

private:
    ExtractCallback& inner_;
};

struct DecompressorDeleter {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

std::string SizeMismatch(int64_t actual, int32_t stored) {
    return "inflates to " + std::to_string(actual) + " bytes, not its stored " + std::to_string(stored);
}

std::string Oversized(int32_t stored) { return "inflates to more than its stored " + std::to_string(stored) + " bytes"; }

class Worker {
public:
    Worker(const std::string& archivePath, InflateOutput& output, int32_t wholeBufferLimit)
        : limit_(wholeBufferLimit),
          archive_(OpenPath(archivePath, "rb")),
          decompressor_(libdeflate_alloc_decompressor()),
          output_(output),
          counting_(output) {}

    // Empty on success, otherwise why the entry failed.
    std::string Run(const InflateJob& job) {
        if (!archive_ || !decompressor_)
            return std::string("cannot open the archive: ") + std::strerror(errno);
        bool fits = job.entry->size <= limit_ && job.entry->compressedSize <= static_cast<uint32_t>(limit_);
        return fits ? WholeBuffer(job) : Streaming(job);
    }

private:
    std::string WholeBuffer(const InflateJob& job) {
        const IndexedEntry& e = *job.entry;
        unsigned char* in = in_.Resize(e.compressedSize);
        // One byte more than needed, so that even an empty file has a buffer.
        unsigned char* out = out_.Resize(static_cast<size_t>(e.size) + 1);
        if (!SeekFile(archive_.get(), e.dataOffset, SEEK_SET) ||
            std::fread(in, 1, in_.size(), archive_.get()) != in_.size())
            return DescribeArchiveStatus(ArchiveStatus::Truncated);
        size_t inUsed = 0;
        size_t outUsed = 0;
        libdeflate_result rc = libdeflate_zlib_decompress_ex(decompressor_.get(), in, in_.size(), out,
                                                             static_cast<size_t>(e.size), &inUsed, &outUsed);
        if (rc == LIBDEFLATE_INSUFFICIENT_SPACE)
            return Oversized(e.size);
        if (rc != LIBDEFLATE_SUCCESS || inUsed != in_.size())
            return DescribeArchiveStatus(ArchiveStatus::BadStream);
        if (outUsed != static_cast<size_t>(e.size))
            return SizeMismatch(static_cast<int64_t>(outUsed), e.size);
        UniqueFile file(output_.CreateOutputFile(job.walkPath.c_str()));
        if (!file)
            return std::string(DescribeArchiveStatus(ArchiveStatus::CannotCreate)) + ": " + output_.CreateError();
        errno = 0;
        if (std::fwrite(out, 1, outUsed, file.get()) != outUsed || std::fclose(file.release()) != 0) {
            std::string why = errno != 0 ? std::strerror(errno) : "the disk refused the data";
            output_.RemoveOutputFile(job.walkPath.c_str());
            return std::string(DescribeArchiveStatus(ArchiveStatus::WriteFailed)) + ": " + why;
        }
        output_.SetFileTime(job.walkPath.c_str(), e.fileTime);
        return {};
    }

    std::string Streaming(const InflateJob& job) {
        const IndexedEntry& e = *job.entry;
        if (!SeekFile(archive_.get(), e.dataOffset - 8, SEEK_SET))
            return DescribeArchiveStatus(ArchiveStatus::Truncated);
        counting_.created = false;
        ArchiveStatus status =
            inflater_.Inflate(archive_.get(), e.size, e.compressedSize, job.walkPath.c_str(), counting_, 0, e.size);
        std::string why = status == ArchiveStatus::SizeTooLarge ? Oversized(e.size)
                          : status == ArchiveStatus::CannotCreate
                              ? std::string(DescribeArchiveStatus(status)) + ": " + output_.CreateError()
                          : status != ArchiveStatus::Ok ? DescribeArchiveStatus(status)
                          : counting_.written != e.size ? SizeMismatch(counting_.written, e.size)
                                                        : std::string();
        if (!why.empty() && counting_.created)
            output_.RemoveOutputFile(job.walkPath.c_str());
        return why;
    }

    int32_t limit_;
    UniqueFile archive_;
    std::unique_ptr<libdeflate_decompressor, DecompressorDeleter> decompressor_;
    InflateOutput& output_;
    CountingCallback counting_;
    EntryInflater inflater_;
    ByteBuffer in_;
    ByteBuffer out_;
};

}  // namespace

bool InflateEntries(const std::string& archivePath, const std::vector<InflateJob>& jobs, int threads,
                    InflateOutput& output, ProgressBar& progress, std::string& error, int32_t wholeBufferLimit) {
    // Largest first, so that one big file does not finish alone at the end.
    std::vector<size_t> order(jobs.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return jobs[a].entry->compressedSize > jobs[b].entry->compressedSize;
    });

    // Jobs after a failure are skipped, jobs before it still run: the one
    // reported is the earliest bad entry, whatever the threads' timing.
    std::atomic<size_t> next{0};
    std::atomic<size_t> firstFailure{jobs.size()};
    std::mutex mutex;
    auto work = [&] {
        Worker worker(archivePath, output, wholeBufferLimit);
        for (size_t k; (k = next++) < order.size();) {
            size_t index = order[k];
            if (index > firstFailure)
                continue;
            std::string why = worker.Run(jobs[index]);
            if (why.empty()) {
                progress.Add(1, jobs[index].entry->size);
                continue;
            }
            std::lock_guard<std::mutex> lock(mutex);
            if (index < firstFailure) {
                firstFailure = index;
                error = DescribeEntry(*jobs[index].entry) + ": " + why;
            }
        }
    };
    size_t count = std::min<size_t>(static_cast<size_t>(std::max(threads, 1)), std::max<size_t>(jobs.size(), 1));
    std::vector<std::thread> pool;
    for (size_t i = 1; i < count; ++i)
        pool.emplace_back(work);
    work();
    for (std::thread& t : pool)
        t.join();
    return firstFailure == jobs.size();
}
