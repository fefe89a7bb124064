// A folder dropped on the program (its only argument): packed beside itself
// with the installer that ships beside the program.
#include <string>
#include <vector>

#include "tools/varnok-pack/cli.h"
#include "tools/varnok-pack/commands.h"
#include "tools/varnok-pack/host_files.h"

namespace {

constexpr char kStubName[] = "Pelladrover.exe";

}  // namespace

int RunDroppedFolder(const char* folder) {
    std::string game = folder;
    while (game.size() > 1 && IsPathSeparator(game.back()))
        game.pop_back();
    std::string stub = ProgramFolder() + kStubName;
    if (KindOf(stub) != ItemKind::File) {
        PrintError("pack", "the installer '%s' is not beside varnok-pack; it ships with it", stub.c_str());
        return kExitFailure;
    }
    std::string output = game + "_setup.exe";
    PrintText(stdout, "varnok-pack: packing '%s' into '%s'\n", game.c_str(), output.c_str());
    std::vector<std::string> arguments = {"pack", "--stub", stub, "-o", output, game};
    std::vector<char*> argv;
    for (std::string& a : arguments)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    return RunPack(static_cast<int>(arguments.size()), argv.data());
}
