#include <getopt.h>
#include <strings.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "archive/payload_writer.h"
#include "archive/stdio_file.h"
#include "tools/varnok-pack/commands/cli.h"
#include "tools/varnok-pack/commands/commands.h"
#include "tools/varnok-pack/commands/pack_checks.h"
#include "tools/varnok-pack/pack/game_folder.h"
#include "tools/varnok-pack/host/host_files.h"
#include "tools/varnok-pack/pack/parallel_deflate.h"
#include "tools/varnok-pack/pack/stub_program.h"
#include "tools/varnok-pack/commands/progress_bar.h"

namespace {

constexpr char kCommand[] = "pack";

constexpr char kHelp[] =
    "usage: varnok-pack pack [OPTIONS] GAMEDIR\n"
    "\n"
    "Packs a game folder into an installer: the stub program, the archive,\n"
    "zero bytes up to a length that is a multiple of 8, and a 4-byte trailer\n"
    "holding the stub's length; sign the installer after this. The stub must\n"
    "be our Pelladrover.exe with no game of its own; a signed one goes in\n"
    "without its signature, which could not cover the archive. Without --stub,\n"
    "writes the archive alone, to be shipped as instdat.arc beside the program.\n"
    "GAMEDIR must hold install.env and insttscr.rct at its top level. Names are\n"
    "stored in Shift-JIS; set-up files come first, then folders in pre-order.\n"
    "GAMEDIR and its install.env are checked first, as 'varnok-pack env check\n"
    "--game GAMEDIR' does: warnings are shown, errors stop the pack. The output\n"
    "itself, when written into GAMEDIR, is left out. An installer needs an\n"
    "uninstaller: without one in GAMEDIR, beside --stub or named, pack refuses\n"
    "unless --no-uninstaller is given.\n"
    "\n"
    "  -o, --output=OUT   the file to write (default: setup.exe with --stub,\n"
    "                     instdat.arc without); replaced only when complete\n"
    "      --stub=EXE     the installer program to put the archive behind\n"
    "      --uninstaller=FILE  the UnInst.exe to add when GAMEDIR has none\n"
    "                     (default: the UnInst.exe beside --stub, which the\n"
    "                     same build makes)\n"
    "      --no-uninstaller  ship without an uninstaller\n"
    "      --strict       treat the check's warnings as errors\n"
    "      --level=N      compression level 0-9 on zlib's scale (default 6)\n"
    "  -j, --jobs=N       compress on N threads (default: the processors)\n"
    "  -h, --help         show this help\n"
    "\n"
    "SOURCE_DATE_EPOCH, when set, caps the stored file times at that moment,\n"
    "so that the same folder gives the same bytes.\n"
    "\n"
    "Exit status: 0 when written, 1 when refused or failed (nothing written),\n"
    "2 for a wrong command line.\n";

struct PackOptions {
    std::string gameDir;
    std::string stub;
    std::string output;
    std::string uninstaller;  // empty: the one beside the stub
    bool addUninstaller = true;
    bool strict = false;
    int level = 6;
    int jobs = 1;
    std::optional<int64_t> latestTime;
    InstallerStub stubProgram;  // what CheckInstallerStub found in --stub
};

// -1 to go on, otherwise the exit code.
int ParseOptions(int argc, char** argv, PackOptions& options) {
    static const option kLong[] = {{"output", required_argument, nullptr, 'o'},
                                   {"stub", required_argument, nullptr, 's'},
                                   {"uninstaller", required_argument, nullptr, 'u'},
                                   {"no-uninstaller", no_argument, nullptr, 'n'},
                                   {"strict", no_argument, nullptr, 'S'},
                                   {"level", required_argument, nullptr, 'l'},
                                   {"jobs", required_argument, nullptr, 'j'},
                                   {"help", no_argument, nullptr, 'h'},
                                   {nullptr, 0, nullptr, 0}};
    options.jobs = DefaultJobs();
    optind = 0;
    opterr = 0;
    for (int c; (c = getopt_long(argc, argv, "o:j:h", kLong, nullptr)) != -1;) {
        switch (c) {
        case 'o':
            options.output = optarg;
            break;
        case 's':
            options.stub = optarg;
            break;
        case 'u':
            options.uninstaller = optarg;
            break;
        case 'n':
            options.addUninstaller = false;
            break;
        case 'S':
            options.strict = true;
            break;
        case 'l':
            if (!ParseIntOption(optarg, 0, 9, options.level))
                return UsageError(kCommand, "--level wants a number from 0 to 9, not '%s'", optarg);
            break;
        case 'j':
            if (!ParseIntOption(optarg, 1, 256, options.jobs))
                return UsageError(kCommand, "--jobs wants a number from 1 to 256, not '%s'", optarg);
            break;
        case 'h':
            std::fputs(kHelp, stdout);
            return kExitOk;
        default:
            return BadOption(kCommand, argv);
        }
    }
    if (argc - optind != 1)
        return UsageError(kCommand, "expects one GAMEDIR");
    if (!options.addUninstaller && !options.uninstaller.empty())
        return UsageError(kCommand, "--uninstaller and --no-uninstaller exclude each other");
    options.gameDir = argv[optind];
    if (options.output.empty())
        options.output = options.stub.empty() ? "instdat.arc" : "setup.exe";
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
        char* end = nullptr;
        long long seconds = std::strtoll(epoch, &end, 10);
        if (*epoch == '\0' || *end != '\0' || seconds < 0)
            return UsageError(kCommand, "SOURCE_DATE_EPOCH='%s' is not a number of seconds", epoch);
        options.latestTime = seconds;
    }
    return -1;
}

// The output under a temporary name beside it, renamed into place by
// Commit and removed otherwise, so that a failed run leaves nothing half
// written and never touches an older file of the same name.
class TempOutput {
public:
    explicit TempOutput(std::string path) : path_(std::move(path)), file_(CreateTempFileBeside(path_, temp_)) {}
    ~TempOutput() {
        if (!committed_) {
            file_.reset();
            RemoveFile(temp_);
        }
    }
    FILE* get() const { return file_.get(); }
    bool Commit() {
        if (std::fclose(file_.release()) != 0)
            return false;
        committed_ = RenameOver(temp_, path_);
        return committed_;
    }

private:
    std::string path_;
    std::string temp_;
    UniqueFile file_;
    bool committed_ = false;
};

bool ReportWriter(const PayloadWriter& writer, const GameEntry& entry) {
    if (writer.LastError() == ArchiveStatus::SizeTooLarge)
        PrintError(kCommand, "'%s': the output would reach 2 GiB, which the installer cannot read",
                   entry.path.c_str());
    else if (writer.LastError() == ArchiveStatus::WriteFailed)
        PrintError(kCommand, "'%s': %s: %s", entry.path.c_str(), DescribeArchiveStatus(writer.LastError()),
                   std::strerror(errno));
    else  // refused by the writer itself: errno says nothing about it
        PrintError(kCommand, "'%s': %s", entry.path.c_str(), DescribeArchiveStatus(writer.LastError()));
    return false;
}

// Writes one file entry from the deflater's pieces.
bool WriteFile(PayloadWriter& writer, ParallelDeflater& deflater, const GameEntry& entry, ProgressBar& bar) {
    DeflatePiece piece;
    std::string error;
    if (!deflater.Next(piece, error)) {
        PrintError(kCommand, "%s", error.c_str());
        return false;
    }
    auto size = static_cast<int32_t>(entry.size);
    if (piece.last) {
        bar.Add(1, piece.inputBytes);
        return writer.AddFile(entry.archiveName, size, entry.fileTime, piece.data) || ReportWriter(writer, entry);
    }
    if (!writer.BeginFile(entry.archiveName, size, entry.fileTime))
        return ReportWriter(writer, entry);
    for (;;) {
        if (!writer.AppendFileData(piece.data))
            return ReportWriter(writer, entry);
        bar.Add(piece.last ? 1 : 0, piece.inputBytes);
        if (piece.last)
            return writer.EndFile() || ReportWriter(writer, entry);
        if (!deflater.Next(piece, error)) {
            PrintError(kCommand, "%s", error.c_str());
            return false;
        }
    }
}

struct Totals {
    int64_t files = 0;
    int64_t folders = 0;
    int64_t bytes = 0;
};

// The entries, the end marker and the trailer; `archiveBytes` is the
// archive's length without the trailer.
bool WriteEntries(const PackOptions& options, const std::vector<GameEntry>& entries, FILE* out, int64_t stubLength,
                  const Totals& totals, int64_t& archiveBytes) {
    std::vector<DeflateSource> sources;
    for (const GameEntry& e : entries) {
        if (!e.IsFolder())
            sources.push_back(DeflateSource{e.path, e.size});
    }
    PayloadWriter writer(out, stubLength);
    ParallelDeflater deflater(std::move(sources), options.jobs, options.level);
    ProgressBar bar(kCommand, totals.files, totals.bytes);
    for (const GameEntry& e : entries) {
        bool ok = e.IsFolder() ? writer.AddFolder(e.archiveName) || ReportWriter(writer, e)
                               : WriteFile(writer, deflater, e, bar);
        if (!ok)
            return false;
    }
    bar.Finish();
    if (!writer.Finish()) {
        PrintError(kCommand, "cannot write the output: %s", std::strerror(errno));
        return false;
    }
    archiveBytes = writer.BytesWritten();
    unsigned char trailer[4];
    StoreU32(trailer, static_cast<uint32_t>(stubLength));
    if (stubLength > 0 && std::fwrite(trailer, 1, sizeof trailer, out) != sizeof trailer) {
        PrintError(kCommand, "cannot write the output: %s", std::strerror(errno));
        return false;
    }
    return true;
}

// Our UnInst.exe at the top level when the game has none of its own.
// False after a message when the file asked for cannot be had; `added`
// names the file added.
bool AddUninstaller(const PackOptions& options, std::vector<GameEntry>& entries, std::string& added) {
    for (const GameEntry& e : entries) {
        if (!strcasecmp(e.archiveName.c_str(), "UnInst.exe"))
            return true;
    }
    if (!options.addUninstaller)
        return true;
    // Its links and uninstall entry would point at nothing.
    const char* choice = "give --uninstaller FILE, or --no-uninstaller to ship without one; nothing written";
    if (options.uninstaller.empty() && options.stub.empty()) {
        PrintError(kCommand, "the game has no UnInst.exe and none is given: %s", choice);
        return false;
    }
    std::string path = options.uninstaller;
    if (path.empty()) {
        size_t folderEnd = options.stub.size();
        while (folderEnd > 0 && !IsPathSeparator(options.stub[folderEnd - 1]))
            --folderEnd;
        path = options.stub.substr(0, folderEnd) + "UnInst.exe";
        if (KindOf(path) == ItemKind::Missing) {
            PrintError(kCommand, "the game has no UnInst.exe, nor has the stub beside it (%s): %s", path.c_str(),
                       choice);
            return false;
        }
    }
    std::string error;
    if (!CheckUninstallerProgram(path, error) || !AddTopLevelFile(path, "UnInst.exe", options.latestTime, entries, error)) {
        PrintError(kCommand, "%s", error.c_str());
        return false;
    }
    added = path;
    return true;
}

int BuildInstaller(const PackOptions& options, const std::vector<GameEntry>& entries, const std::string& added) {
    Totals totals;
    for (const GameEntry& e : entries) {
        e.IsFolder() ? ++totals.folders : ++totals.files;
        totals.bytes += e.IsFolder() ? 0 : e.size;
    }
    auto start = std::chrono::steady_clock::now();
    TempOutput out(options.output);
    if (!out.get()) {
        PrintError(kCommand, "cannot create '%s': %s", options.output.c_str(), std::strerror(errno));
        return kExitFailure;
    }
    int64_t stubLength = options.stub.empty() ? 0 : options.stubProgram.length;
    std::string error;
    if (stubLength > 0 && !CopyInstallerStub(options.stub, options.stubProgram, out.get(), error)) {
        PrintError(kCommand, "%s", error.c_str());
        return kExitFailure;
    }
    int64_t archiveBytes = 0;
    if (!WriteEntries(options, entries, out.get(), stubLength, totals, archiveBytes))
        return kExitFailure;
    if (!out.Commit()) {
        PrintError(kCommand, "cannot write '%s': %s", options.output.c_str(), std::strerror(errno));
        return kExitFailure;
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    PrintText(stdout, "varnok-pack pack: wrote %s: %lld files, %lld folders, %lld bytes into an archive of %lld (%.1f%%) in %.2f s, "
                "%.1f MB/s\n",
                options.output.c_str(), static_cast<long long>(totals.files), static_cast<long long>(totals.folders),
                static_cast<long long>(totals.bytes), static_cast<long long>(archiveBytes),
                totals.bytes > 0 ? 100.0 * static_cast<double>(archiveBytes) / static_cast<double>(totals.bytes) : 0.0,
                seconds, MegabytesPerSecond(totals.bytes, seconds));
    if (!added.empty())
        PrintText(stdout, "varnok-pack pack: added the uninstaller UnInst.exe from %s\n", added.c_str());
    if (stubLength > 0 && options.stubProgram.removedSignature > 0)
        PrintText(stdout, "varnok-pack pack: the stub was signed; its signature (%lld bytes) was left out, as it "
                  "cannot cover the archive: sign the installer now\n",
                  static_cast<long long>(options.stubProgram.removedSignature));
    return kExitOk;
}

}  // namespace

int RunPack(int argc, char** argv) {
    PackOptions options;
    if (int exit = ParseOptions(argc, argv, options); exit >= 0)
        return exit;
    std::vector<GameEntry> entries;
    std::string error;
    if (!options.stub.empty() && !CheckInstallerStub(options.stub, options.stubProgram, error)) {
        PrintError(kCommand, "%s; nothing written", error.c_str());
        return kExitFailure;
    }
    if (!ScanGameFolder(options.gameDir, options.latestTime, entries, error)) {
        PrintError(kCommand, "%s", error.c_str());
        return kExitFailure;
    }
    if (!CheckGameBeforePack(options.gameDir, options.strict))
        return kExitFailure;
    LeaveOutOwnOutput(options.output, entries);
    std::string added;
    if (!AddUninstaller(options, entries, added))
        return kExitFailure;
    return BuildInstaller(options, entries, added);
}
