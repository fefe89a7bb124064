#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "tools/varnok-pack/reader/archive_index.h"
#include "tools/varnok-pack/commands/cli.h"
#include "tools/varnok-pack/commands/commands.h"
#include "tools/varnok-pack/host/files_below.h"
#include "tools/varnok-pack/host/host_files.h"
#include "tools/varnok-pack/reader/native_extract.h"
#include "tools/varnok-pack/reader/parallel_inflate.h"

namespace {

constexpr char kCommand[] = "extract";

constexpr char kHelp[] =
    "usage: varnok-pack extract [OPTIONS] FILE DIR\n"
    "\n"
    "Extracts an installer or an instdat.arc into DIR (made when missing):\n"
    "names converted from Shift-JIS to UTF-8 with '/' between levels, stored\n"
    "times applied, existing files replaced. An archive with an unsafe name\n"
    "(absolute, with a drive or a '..' level) is refused before anything is\n"
    "written. When a name occurs twice, the later entry wins, as it would in\n"
    "the installer. Links inside DIR are not followed: a level or file that\n"
    "is one is refused. No file gets more than its stored size.\n"
    "\n"
    "  -j, --jobs=N   inflate on N threads (default: the processors)\n"
    "  -h, --help     show this help\n"
    "\n"
    "Exit status: 0 when every file is written, 1 when the archive is damaged\n"
    "or a file cannot be written (the output folder is then incomplete, and\n"
    "the file being written is removed), 2 for a wrong command line.\n";

// mkdir -p: every level of `path` that is missing.
bool MakeFolders(const std::string& path) {
    for (size_t at = 1;; ++at) {
        while (at < path.size() && !IsPathSeparator(path[at]))
            ++at;
        std::string level = path.substr(0, at);
        std::string why;
        if (KindOf(level) != ItemKind::Folder && !MakeFolder(level, why) && KindOf(level) != ItemKind::Folder) {
            PrintError(kCommand, "cannot create the folder '%s': %s", level.c_str(), why.c_str());
            return false;
        }
        if (at >= path.size())
            return true;
    }
}

std::string WalkPath(const std::string& destination, const IndexedEntry& e) { return destination + '\\' + e.name; }

bool MakeFoldersInside(const std::string& destination, const std::string& relative) {
    std::string why;
    if (MakeFoldersBelow(destination, relative, why))
        return true;
    PrintError(kCommand, "cannot create the folder: %s", why.c_str());
    return false;
}

// The files to write, the later of two equal names only, after every
// folder they need exists.
bool PrepareFolders(const ArchiveIndex& index, const NativeExtractCallback& output, const std::string& destination,
                    std::vector<InflateJob>& work) {
    std::map<std::string, size_t> latest;
    for (const IndexedEntry& e : index.entries) {
        std::optional<std::string> path = output.RelativePath(WalkPath(destination, e).c_str());
        if (!path) {
            PrintError(kCommand, "%s: %s: the name has no UTF-8 form", index.path.c_str(), DescribeEntry(e).c_str());
            return false;
        }
        size_t parentEnd = e.IsFolder() ? path->size() : path->rfind('/');
        if (!MakeFoldersInside(destination, path->substr(0, parentEnd == std::string::npos ? 0 : parentEnd)))
            return false;
        if (e.IsFolder())
            continue;
        auto [it, added] = latest.emplace(*path, work.size());
        if (!added)
            work[it->second].entry = nullptr;
        it->second = work.size();
        work.push_back(InflateJob{&e, WalkPath(destination, e)});
    }
    std::erase_if(work, [](const InflateJob& job) { return job.entry == nullptr; });
    return true;
}

}  // namespace

int RunExtract(int argc, char** argv) {
    const char* operands[2] = {};
    int jobs = 1;
    if (int exit = ParseArchiveCommand(kCommand, kHelp, argc, argv, 2, operands, &jobs); exit >= 0)
        return exit;
    std::string destination = operands[1];
    while (destination.size() > 1 && IsPathSeparator(destination.back()))
        destination.pop_back();
    ArchiveIndex index;
    std::string error;
    if (!ReadArchiveIndex(operands[0], index, error)) {
        PrintError(kCommand, "%s: %s", operands[0], error.c_str());
        return kExitFailure;
    }
    NativeExtractCallback output(destination);
    std::vector<InflateJob> work;
    if (!MakeFolders(destination))
        return kExitFailure;
    if (!PrepareFolders(index, output, destination, work)) {
        PrintError(kCommand, "the output folder '%s' is incomplete", destination.c_str());
        return kExitFailure;
    }
    int64_t bytes = 0;
    for (const InflateJob& job : work)
        bytes += job.entry->size;
    ProgressBar bar(kCommand, static_cast<int64_t>(work.size()), bytes);
    bool ok = InflateEntries(operands[0], work, jobs, output, bar, error);
    bar.Finish();
    if (!ok) {
        PrintError(kCommand, "%s: %s", operands[0], error.c_str());
        PrintError(kCommand, "the output folder '%s' is incomplete (no partly written file is left)",
                   destination.c_str());
        return kExitFailure;
    }
    PrintText(stdout, "varnok-pack extract: %zu files, %lld bytes into %s in %.2f s, %.1f MB/s\n", work.size(),
                static_cast<long long>(bytes), destination.c_str(), bar.Seconds(),
                MegabytesPerSecond(bytes, bar.Seconds()));
    return kExitOk;
}
