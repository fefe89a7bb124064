// varnok-pack: builds installers from a game folder and inspects archives,
// pictures and settings files.
#include <cstdio>
#include <cstring>

#include "tools/varnok-pack/commands/commands.h"
#include "tools/varnok-pack/host/host_files.h"

namespace {

struct Command {
    const char* name;
    int (*run)(int, char**);
    const char* summary;
};

constexpr Command kCommands[] = {
    {"pack", RunPack, "build an installer (or instdat.arc) from a game folder"},
    {"list", RunList, "list the entries of an installer or instdat.arc"},
    {"verify", RunVerify, "check an archive's structure and every stream"},
    {"extract", RunExtract, "extract an archive into a folder"},
    {"env", RunEnv, "dump or check an install.env"},
    {"rct", RunRct, "encode, decode or describe RCT pictures"},
};

void Usage(FILE* out) {
    std::fprintf(out, "usage: varnok-pack COMMAND [OPTIONS] ARGS...\n\ncommands:\n");
    for (const Command& c : kCommands)
        std::fprintf(out, "  %-8s %s\n", c.name, c.summary);
    std::fprintf(out, "\n'varnok-pack COMMAND --help' describes a command and its exit codes.\n");
}

}  // namespace

int RunVarnokPack(int argc, char** argv) {
    if (argc < 2) {
        Usage(stderr);
        return 2;
    }
    if (!std::strcmp(argv[1], "--version")) {
        std::printf("varnok-pack %s\n", VARNOK_VERSION);
        return 0;
    }
    if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
        Usage(stdout);
        return 0;
    }
    for (const Command& c : kCommands) {
        if (!std::strcmp(argv[1], c.name))
            return c.run(argc - 1, argv + 1);
    }
    // A folder dropped on the program.
    if (argc == 2 && KindOf(argv[1]) == ItemKind::Folder)
        return RunDroppedFolder(argv[1]);
    std::fprintf(stderr, "varnok-pack: unknown command '%s'\n", argv[1]);
    Usage(stderr);
    return 2;
}
