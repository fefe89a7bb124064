// Allocation for decoder, list and extraction memory.
#pragma once

#include <cstddef>
#include <cstdlib>
#include <memory>

// A heap block of size + 32 bytes, to be freed with free(). Never returns
// without a block: when memory runs out it reports and ends the process
// with exit code -1.
void* AllocOrReport(size_t size);

// Owns a block from AllocOrReport (or malloc) and frees it.
struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <class T>
using FreeOwner = std::unique_ptr<T, FreeDeleter>;
