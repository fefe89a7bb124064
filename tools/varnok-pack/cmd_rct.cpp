#include <cstdio>

#include "tools/varnok-pack/commands.h"

// Placeholder until the command lands.
int RunRct(int, char**) {
    std::fprintf(stderr, "varnok-pack: 'rct' is not available yet\n");
    return 2;
}
