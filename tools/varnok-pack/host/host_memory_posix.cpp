#include "tools/varnok-pack/host/host_memory.h"

#include <sys/mman.h>

#include <cstdlib>

namespace {

constexpr size_t kHugePage = 2 << 20;

}  // namespace

unsigned char* AllocateBuffer(size_t n) {
    if (n < kHugePage)
        return static_cast<unsigned char*>(std::malloc(n == 0 ? 1 : n));
    size_t rounded = (n + kHugePage - 1) / kHugePage * kHugePage;
    void* p = nullptr;
    if (posix_memalign(&p, kHugePage, rounded) != 0)
        return nullptr;
#ifdef MADV_HUGEPAGE
    // Advice only: where huge pages are off, the buffer works as it is.
    madvise(p, rounded, MADV_HUGEPAGE);
#endif
    return static_cast<unsigned char*>(p);
}
