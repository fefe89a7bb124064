// A FILE* owner and 64-bit positioning that works alike on Linux and on
// Windows, where long (fseek/ftell) is 32-bit even in 64-bit builds.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

// The one FILE* owner.
struct FileCloser {
    void operator()(FILE* f) const { std::fclose(f); }
};
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

#ifndef _WIN32
static_assert(sizeof(off_t) == 8, "build with _FILE_OFFSET_BITS=64");
#endif

inline bool SeekFile(FILE* f, int64_t offset, int whence) {
#ifdef _WIN32
    return _fseeki64(f, offset, whence) == 0;
#else
    return fseeko(f, static_cast<off_t>(offset), whence) == 0;
#endif
}

inline int64_t TellFile(FILE* f) {
#ifdef _WIN32
    return _ftelli64(f);
#else
    return static_cast<int64_t>(ftello(f));
#endif
}

// The file's length, leaving the position at its end; -1 when it can't be had.
inline int64_t SeekFileEnd(FILE* f) { return SeekFile(f, 0, SEEK_END) ? TellFile(f) : -1; }

// True when all n bytes were read.
inline bool ReadExact(FILE* f, void* buffer, size_t n) { return std::fread(buffer, 1, n, f) == n; }
