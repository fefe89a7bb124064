#include "shell/alloc.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

void* AllocOrReport(size_t size) {
    constexpr size_t kSpare = 32;
    // A size so large that the spare bytes wrap around is out of memory, not a tiny block.
    void* block = size <= SIZE_MAX - kSpare ? std::malloc(size + kSpare) : nullptr;
    if (!block) {
        std::fprintf(stderr, "out of memory (%zu bytes and %zu to spare)\n", size, kSpare);
        std::exit(-1);
    }
    return block;
}
