// Writing archives: used by varnok-pack and by the tests.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "archive/payload_format.h"

// Appends entries to an open stream, in the order given. The caller keeps
// the order the installer relies on (set-up files first, folders before
// their contents). Names are Shift-JIS with '\\' between levels; a folder's
// name ends in '\\'. Every call returns false when it refuses or fails, and
// LastError() tells why.
class PayloadWriter {
public:
    // `startOffset` is where the archive begins in the output file: the
    // program image's length for an installer (which then gets a 4-byte
    // trailer), 0 for instdat.arc. The whole file must stay below 2 GiB, as
    // the installer seeks with signed 32-bit offsets.
    explicit PayloadWriter(FILE* out, int64_t startOffset = 0) : out_(out), start_(startOffset) {}
    bool AddFolder(std::string_view name);
    // `zlibStream` is one complete zlib (RFC 1950) stream of `size` bytes of content.
    bool AddFile(std::string_view name, int32_t size, uint64_t fileTime, std::string_view zlibStream);
    // A file whose stream comes in pieces. EndFile seeks back to fill in the
    // compressed size, so the stream must be seekable.
    bool BeginFile(std::string_view name, int32_t size, uint64_t fileTime);
    bool AppendFileData(std::string_view piece);
    bool EndFile();
    // End marker and the two zero bytes after it; for an installer, up to 7
    // more zero bytes, so that the file with its trailer is a multiple of 8
    // bytes long (the reader never reads what lies before the trailer).
    bool Finish();
    int64_t BytesWritten() const { return written_; }
    // NameTooLong, NameNotTerminated (empty or holding a NUL), UnsafeName,
    // SizeTooLarge (the entry or the output file would reach 2 GiB), WriteFailed.
    ArchiveStatus LastError() const { return error_; }

private:
    bool WriteHeader(std::string_view name, int32_t size, uint32_t compressedSize, uint64_t fileTime, bool folder);
    bool Fits(int64_t moreBytes);
    bool Put(const void* data, size_t n);
    bool Refuse(ArchiveStatus status);
    FILE* out_;
    int64_t start_;
    int64_t written_ = 0;
    int64_t sizeFieldAt_ = -1;  // file position of the open file's compressed size
    int64_t streamBytes_ = 0;   // bytes of the open file's stream so far
    ArchiveStatus error_ = ArchiveStatus::Ok;
};

// zlib stream of `data` (header 78 9C at level 6), for tests and small files.
std::string CompressZlib(std::string_view data, int level = 6);
