#include <cstdio>

#include "tools/varnok-pack/commands.h"

// Placeholder until the command lands.
int RunEnv(int, char**) {
    std::fprintf(stderr, "varnok-pack: 'env' is not available yet\n");
    return 2;
}
