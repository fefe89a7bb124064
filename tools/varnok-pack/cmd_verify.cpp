#include <cstdio>

#include "tools/varnok-pack/commands.h"

// Placeholder until the command lands.
int RunVerify(int, char**) {
    std::fprintf(stderr, "varnok-pack: 'verify' is not available yet\n");
    return 2;
}
