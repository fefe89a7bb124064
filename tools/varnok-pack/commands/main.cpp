// varnok-pack: builds installers from a game folder and inspects archives,
// pictures and settings files.
#include <cstdio>
#include <cstring>
#include <vector>

#include "tools/varnok-pack/commands/commands.h"
#include "tools/varnok-pack/host/host_files.h"

namespace {

struct Command {
    const char* name;
    int (*run)(int, char**);
};

constexpr Command kCommands[] = {
    {"pack", RunPack}, {"list", RunList}, {"verify", RunVerify}, {"extract", RunExtract},
    {"env", RunEnv},   {"rct", RunRct},
};

constexpr char kUsage[] =
    "usage: varnok-pack COMMAND [OPTIONS] ARGS...\n"
    "\n"
    "commands:\n"
    "  pack          build an installer (or instdat.arc) from a game folder\n"
    "  list          list the entries of an installer or instdat.arc\n"
    "  verify        check an archive's structure, every stream, its set-up files\n"
    "  extract       extract an archive into a folder\n"
    "  env dump      an install.env as the installer reads it, as JSON\n"
    "  env check     what the installer would skip, misread or refuse (--game: the folder too)\n"
    "  env delfiles  a [delfiles] section listing every file of a game folder\n"
    "  env plan      everything an install with an install.env writes, as JSON\n"
    "  rct encode    a PNG, BMP or PPM picture as an RCT picture\n"
    "  rct decode    an RCT picture as PNG, BMP or PPM\n"
    "  rct info      an RCT picture's variant, size and name\n"
    "  help [COMMAND [SUBCOMMAND]]  this text, or a command's\n"
    "\n"
    "'varnok-pack COMMAND --help' describes a command and its exit status.\n"
    "Exit status of this text: 0 when asked for, 2 after a wrong command.\n";

// help COMMAND [SUBCOMMAND] is COMMAND [SUBCOMMAND] --help.
int RunHelp(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    for (const Command& c : kCommands) {
        if (std::strcmp(argv[1], c.name) != 0)
            continue;
        std::vector<char*> asked(argv + 1, argv + argc);
        char help[] = "--help";
        asked.push_back(help);
        asked.push_back(nullptr);
        return c.run(static_cast<int>(asked.size()) - 1, asked.data());
    }
    std::fprintf(stderr, "varnok-pack help: unknown command '%s'\n", argv[1]);
    std::fputs(kUsage, stderr);
    return 2;
}

}  // namespace

int RunVarnokPack(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (!std::strcmp(argv[1], "--version")) {
        std::printf("varnok-pack %s\n", VARNOK_VERSION);
        return 0;
    }
    if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!std::strcmp(argv[1], "help"))
        return RunHelp(argc - 1, argv + 1);
    for (const Command& c : kCommands) {
        if (!std::strcmp(argv[1], c.name))
            return c.run(argc - 1, argv + 1);
    }
    // A folder dropped on the program.
    if (argc == 2 && KindOf(argv[1]) == ItemKind::Folder)
        return RunDroppedFolder(argv[1]);
    std::fprintf(stderr, "varnok-pack: unknown command '%s'\n", argv[1]);
    std::fputs(kUsage, stderr);
    return 2;
}
