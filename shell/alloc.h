// Allocation for decoder, list and extraction memory.
#pragma once

#include <cstddef>

// A heap block of size + 32 bytes, to be freed with free(). Never returns
// without a block: when memory runs out it reports and ends the process
// with exit code -1.
void* AllocOrReport(size_t size);
