// Writing archives: used by varnok-pack and by the tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

// Appends entries to an open stream, in the order given. The caller keeps
// the order the installer relies on (set-up files first, folders before
// their contents). Names are Shift-JIS with '\\' between levels; a folder's
// name ends in '\\'. Returns false on a write error or a name over 259 bytes.
class PayloadWriter {
public:
    explicit PayloadWriter(FILE* out) : out_(out) {}
    bool AddFolder(std::string_view name);
    // `zlibStream` is one complete zlib (RFC 1950) stream of `size` bytes of content.
    bool AddFile(std::string_view name, int32_t size, uint64_t fileTime, std::string_view zlibStream);
    // End marker and the two zero bytes after it.
    bool Finish();
    int64_t BytesWritten() const { return written_; }

private:
    bool Put(const void* data, size_t n);
    FILE* out_;
    int64_t written_ = 0;
};

// zlib level-6 stream of `data` (header 78 9C), for tests and small files.
std::string CompressZlib(std::string_view data, int level = 6);
