#include <malloc.h>

#include "tools/varnok-pack/commands/commands.h"

int main(int argc, char** argv) {
#ifdef __GLIBC__
    // The compressors' output, up to tens of megabytes a file, is allocated
    // and freed file after file. By default glibc maps each large block
    // afresh and hands freed memory back at once, so every page faults
    // again; keeping it for reuse saves several percent of a pack.
    mallopt(M_MMAP_THRESHOLD, 16 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
    return RunVarnokPack(argc, argv);
}
