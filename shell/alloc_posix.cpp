#include "shell/alloc.h"

#include <cstdio>
#include <cstdlib>

void* AllocOrReport(size_t size) {
    void* block = std::malloc(size + 32);
    if (!block) {
        std::fprintf(stderr, "out of memory (%zu bytes)\n", size + 32);
        std::exit(-1);
    }
    return block;
}
