// Compresses a list of files into zlib streams on several threads and hands
// the results back in list order, with bounded memory.
//
// Levels are zlib's. A file up to the whole-file limit is one task:
// libdeflate compresses it in one buffer, at a level chosen for its kind of
// data (deflate_policy.h). A larger file is cut into chunks that libdeflate
// compresses in parallel, each on its own and at the level its own sample
// asks for; every chunk but the last is then ended as a sync flush would
// end it (deflate_join.h), and the pieces, a zlib header and the Adler-32
// combined from theirs make one zlib stream. Each chunk loses only the
// 32 KiB of history before it; zlib, which could carry it over and flush,
// takes twice libdeflate's time. Every stream's header
// names the level asked for (78 9C at 6). The output depends only on the
// input and the level, never on the threads.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct DeflateLimits {
    int64_t wholeFile = 32 << 20;
    int64_t chunk = 4 << 20;
};

struct DeflateSource {
    std::string path;
    int64_t size = 0;  // read exactly this many bytes; a file that changed is an error
};

struct DeflatePiece {
    size_t file = 0;     // index into the sources
    bool last = false;   // the file's stream is complete with this piece
    std::string data;    // the next bytes of the file's zlib stream
    int64_t inputBytes = 0;
};

class ParallelDeflater {
public:
    // Memory stays below about twice the larger of 2 x limits.wholeFile and
    // 2 x threads x limits.chunk, whatever the files' sizes.
    ParallelDeflater(std::vector<DeflateSource> files, int threads, int level, DeflateLimits limits = {});
    ~ParallelDeflater();
    ParallelDeflater(const ParallelDeflater&) = delete;
    ParallelDeflater& operator=(const ParallelDeflater&) = delete;

    // The next piece in order; call until the last file's last piece. False
    // with a message naming the file when it cannot be read.
    bool Next(DeflatePiece& piece, std::string& error);

private:
    struct Task {
        size_t file;
        int64_t offset;
        int64_t length;
        bool last;
    };
    struct Result {
        bool ready = false;
        std::string data;
        uint32_t adler = 1;
        std::string error;
    };
    void Work();

    std::vector<DeflateSource> files_;
    std::vector<Task> tasks_;
    std::vector<Result> results_;
    int level_;
    int64_t budget_;
    int64_t largestRead_ = 0;  // bytes read for the largest task
    int64_t inFlight_ = 0;  // input bytes of tasks taken and not yet handed out
    size_t nextTask_ = 0;
    size_t nextResult_ = 0;
    uint32_t adler_ = 1;  // running Adler-32 of a chunked file
    bool stop_ = false;
    std::mutex mutex_;
    std::condition_variable workReady_;
    std::condition_variable resultReady_;
    std::vector<std::thread> threads_;
};

// The two zlib header bytes zlib itself writes for a 32 KiB window at `level`.
std::string ZlibHeader(int level);
