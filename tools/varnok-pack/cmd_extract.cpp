#include <cstdio>

#include "tools/varnok-pack/commands.h"

// Placeholder until the command lands.
int RunExtract(int, char**) {
    std::fprintf(stderr, "varnok-pack: 'extract' is not available yet\n");
    return 2;
}
