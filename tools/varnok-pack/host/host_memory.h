// Memory for the large work buffers that readers and compressors fill.
// A fresh page costs a fault on first touch, and for buffers of many
// megabytes those faults add up to several percent of a pack; on Linux a
// large buffer is aligned for, and asks for, huge pages.
#pragma once

#include <cstddef>

// At least n bytes, not zeroed, to be freed with free(); nullptr when there
// is no memory.
unsigned char* AllocateBuffer(size_t n);
