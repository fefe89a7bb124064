// A folder dropped on the program (its only argument): packed beside itself
// with the installer that ships beside the program.
#include <string>
#include <vector>

#include "tools/varnok-pack/commands/cli.h"
#include "tools/varnok-pack/commands/commands.h"
#include "tools/varnok-pack/host/host_files.h"

namespace {

// The programs that ship beside this one: the installer and the
// uninstaller pack adds beside it.
constexpr const char* kShippedNames[] = {"Pelladrover.exe", "UnInst.exe"};

}  // namespace

int RunDroppedFolder(const char* folder) {
    std::string game = folder;
    while (game.size() > 1 && IsPathSeparator(game.back()))
        game.pop_back();
    for (const char* name : kShippedNames) {
        std::string path = ProgramFolder() + name;
        if (KindOf(path) != ItemKind::File) {
            PrintError("pack", "'%s' is not beside varnok-pack; it ships with it", path.c_str());
            return kExitFailure;
        }
    }
    std::string stub = ProgramFolder() + kShippedNames[0];
    std::string output = game + "_setup.exe";
    PrintText(stdout, "varnok-pack: packing '%s' into '%s'\n", game.c_str(), output.c_str());
    std::vector<std::string> arguments = {"pack", "--stub", stub, "-o", output, game};
    std::vector<char*> argv;
    for (std::string& a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    return RunPack(static_cast<int>(arguments.size()), argv.data());
}
