#include <cstdio>

#include "tools/varnok-pack/commands.h"

// Placeholder until the command lands.
int RunList(int, char**) {
    std::fprintf(stderr, "varnok-pack: 'list' is not available yet\n");
    return 2;
}
