#include <ctime>
#include <cstdio>
#include <string>

#include "archive/filetime.h"
#include "tools/varnok-pack/reader/archive_index.h"
#include "tools/varnok-pack/commands/cli.h"
#include "tools/varnok-pack/commands/commands.h"

namespace {

constexpr char kCommand[] = "list";

constexpr char kHelp[] =
    "usage: varnok-pack list FILE\n"
    "\n"
    "Lists the entries of an installer or an instdat.arc, one line each:\n"
    "kind (d folder, f file), size, compressed size, last-write time (UTC)\n"
    "and name (UTF-8, '\\' between levels), in archive order.\n"
    "\n"
    "  -h, --help   show this help\n"
    "\n"
    "Exit status: 0, 1 when FILE is no archive (or a folder, or unreadable),\n"
    "2 for a wrong command line.\n";

std::string FormatTime(uint64_t fileTime) {
    UnixTime t = FileTimeToUnix(fileTime);
    time_t seconds = static_cast<time_t>(t.seconds);
    struct tm utc;
    char text[32] = "?";
    if (gmtime_r(&seconds, &utc))
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &utc);
    return text;
}

}  // namespace

int RunList(int argc, char** argv) {
    const char* path = nullptr;
    if (int exit = ParseArchiveCommand(kCommand, kHelp, argc, argv, 1, &path, nullptr); exit >= 0)
        return exit;
    ArchiveIndex index;
    std::string error;
    if (!ReadArchiveIndex(path, index, error)) {
        PrintError(kCommand, "%s: %s", path, error.c_str());
        return kExitFailure;
    }
    for (const IndexedEntry& e : index.entries) {
        std::string name = ShowName(e.name);
        if (e.IsFolder())
            PrintText(stdout, "d %10s %10s  %-19s  %s\n", "-", "-", "-", name.c_str());
        else
            PrintText(stdout, "f %10d %10u  %s  %s\n", e.size, e.compressedSize, FormatTime(e.fileTime).c_str(), name.c_str());
    }
    return kExitOk;
}
