#include <cstdio>

#include "tools/varnok-pack/commands.h"

// Placeholder until the command lands.
int RunPack(int, char**) {
    std::fprintf(stderr, "varnok-pack: 'pack' is not available yet\n");
    return 2;
}
