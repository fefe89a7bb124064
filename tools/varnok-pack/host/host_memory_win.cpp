#include "tools/varnok-pack/host/host_memory.h"

#include <cstdlib>

// Large pages need a privilege that a publisher's account does not have.
unsigned char* AllocateBuffer(size_t n) { return static_cast<unsigned char*>(std::malloc(n == 0 ? 1 : n)); }
