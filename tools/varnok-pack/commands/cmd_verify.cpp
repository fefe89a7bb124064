#include <cstdio>
#include <string>
#include <vector>

#include "tools/varnok-pack/reader/archive_index.h"
#include "tools/varnok-pack/commands/cli.h"
#include "tools/varnok-pack/commands/commands.h"
#include "tools/varnok-pack/host/host_files.h"
#include "tools/varnok-pack/reader/parallel_inflate.h"

namespace {

constexpr char kCommand[] = "verify";

constexpr char kHelp[] =
    "usage: varnok-pack verify [OPTIONS] FILE\n"
    "\n"
    "Checks an installer or an instdat.arc as the installer will read it: the\n"
    "structure (complete fields, safe names, sizes below 2 GiB, every folder's\n"
    "entry before its contents, an end marker), and that every file's stream\n"
    "passes zlib's checks, fills its compressed size and inflates to its\n"
    "stored size. Names the first bad entry and its file offset. For an\n"
    "installer, says whether it carries a signature (the signing tool checks it).\n"
    "\n"
    "  -j, --jobs=N   inflate on N threads (default: the processors)\n"
    "  -h, --help     show this help\n"
    "\n"
    "Exit status: 0 when sound, 1 when damaged or unusable (no install.env or\n"
    "insttscr.rct at the top level: the installer could not start), 2 for a\n"
    "wrong command line.\n";

// Inflated data goes nowhere.
class DiscardOutput : public InflateOutput {
public:
    bool CreateFolder(const char*) override { return true; }
    FILE* CreateOutputFile(const char*) override { return OpenPath(kNullDevice, "wb"); }
    void BeginFile(const char*, int32_t) override {}
    void Progress(int64_t, int32_t) override {}
    void SetFileTime(const char*, uint64_t) override {}
    std::string CreateError() const override { return std::string(kNullDevice) + " cannot be opened"; }
    void RemoveOutputFile(const char*) override {}
};

}  // namespace

int RunVerify(int argc, char** argv) {
    const char* path = nullptr;
    int jobs = 1;
    if (int exit = ParseArchiveCommand(kCommand, kHelp, argc, argv, 1, &path, &jobs); exit >= 0)
        return exit;
    ArchiveIndex index;
    std::string error;
    if (!ReadArchiveIndex(path, index, error) || !CheckFolderOrder(index, error)) {
        PrintError(kCommand, "%s: %s", path, error.c_str());
        return kExitFailure;
    }
    std::vector<InflateJob> work;
    int64_t bytes = 0;
    for (const IndexedEntry& e : index.entries) {
        if (!e.IsFolder()) {
            work.push_back(InflateJob{&e, "\\" + e.name});
            bytes += e.size;
        }
    }
    DiscardOutput output;
    ProgressBar bar(kCommand, static_cast<int64_t>(work.size()), bytes);
    if (!InflateEntries(path, work, jobs, output, bar, error)) {
        bar.Finish();
        PrintError(kCommand, "%s: %s", path, error.c_str());
        return kExitFailure;
    }
    bar.Finish();
    if (const char* missing = MissingSetupFile(index)) {
        PrintError(kCommand, "%s: unusable: no %s at the top level, so the installer cannot start from it", path,
                   missing);
        return kExitFailure;
    }
    PrintText(stdout, "%s: sound: %zu files, %zu folders, %lld bytes\n", path, work.size(), index.entries.size() - work.size(),
                static_cast<long long>(bytes));
    if (index.appended)
        PrintText(stdout, "%s: %s\n", path,
                  index.signature ? "signed: carries a signature (check it with osslsigncode verify or signtool verify)"
                                  : "not signed");
    return kExitOk;
}
