// Archive benchmark helpers, driven and timed by scripts/bench.sh.
//
//   archive_bench corpus DIR [BIG_MB [containers]]
//                                         writes a game folder of ~1,500 files
//                                         (~190 MB, a third of it compressed
//                                         media; see game_corpus.h); BIG_MB
//                                         adds one file that big, containers
//                                         two large containers (96 MB)
//   archive_bench inflate-plain ARC DIR   (a) the installer's design as a plain
//                                         loop: per file two 128 KiB buffers,
//                                         zlib inflate, fwrite, file time
//   archive_bench extract-core ARC DIR    (b) the portable walk the installer
//                                         runs, with the Linux callback
//   archive_bench setup-core ARC DIR      the same walk as the setup pass; ARC
//                                         may be an installer (*.exe) with the
//                                         archive appended
//   archive_bench deflate-zlib GAMEDIR    zlib level 6 on one thread over the
//                                         files pack would take; prints the
//                                         compressed total
//   archive_bench run RESULT CMD...       runs CMD and writes to the file RESULT
//                                         its wall time (s), peak resident set
//                                         (KiB) and processor time (s)
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/extract.h"
#include "archive/payload_locate.h"
#include "archive/stdio_file.h"
#include "tests/bench/design_loop.h"
#include "tests/bench/game_corpus.h"
#include "tools/varnok-pack/pack/game_folder.h"
#include "tools/varnok-pack/reader/native_extract.h"

namespace {

OpenedArchive OpenOrDie(const char* path) {
    OpenedArchive archive = OpenPlainArchive(path);
    if (archive.status != ArchiveStatus::Ok) {
        std::fprintf(stderr, "%s: %s\n", path, DescribeArchiveStatus(archive.status));
        std::exit(1);
    }
    return archive;
}

int ExtractPlain(const char* path, const std::string& dest) {
    OpenedArchive opened = OpenOrDie(path);
    UniqueFile archive(opened.file);
    NativeExtractCallback files(dest);
    return WalkPlain(archive.get(), dest, files) ? 0 : 1;
}

int ExtractCore(const char* path, const std::string& dest, ExtractMode mode) {
    std::string name = path;
    bool installer = name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0;
    OpenedArchive opened = installer ? OpenAppendedArchive(path) : OpenOrDie(path);
    if (opened.status != ArchiveStatus::Ok) {
        std::fprintf(stderr, "%s: %s\n", path, DescribeArchiveStatus(opened.status));
        return 1;
    }
    UniqueFile archive(opened.file);
    NativeExtractCallback files(dest);
    ExtractFailure failure;
    ArchiveStatus status = ExtractArchive(archive.get(), dest.c_str(), mode, files, &failure);
    if (status != ArchiveStatus::Ok)
        std::fprintf(stderr, "%s: %s at %lld\n", failure.name, DescribeArchiveStatus(status),
                     static_cast<long long>(failure.offset));
    return status == ArchiveStatus::Ok ? 0 : 1;
}

int DeflateZlib(const char* gameDir) {
    std::vector<GameEntry> entries;
    std::string error;
    if (!ScanGameFolder(gameDir, std::nullopt, entries, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::vector<unsigned char> in(ProgressUnit);
    std::vector<unsigned char> out(ProgressUnit);
    long long total = 0;
    for (const GameEntry& e : entries) {
        if (e.IsFolder())
            continue;
        UniqueFile f(std::fopen(e.path.c_str(), "rb"));
        z_stream z{};
        deflateInit(&z, 6);
        int flush = Z_NO_FLUSH;
        do {
            z.avail_in = static_cast<uInt>(std::fread(in.data(), 1, in.size(), f.get()));
            z.next_in = in.data();
            flush = z.avail_in < in.size() ? Z_FINISH : Z_NO_FLUSH;
            do {
                z.next_out = out.data();
                z.avail_out = static_cast<uInt>(out.size());
                deflate(&z, flush);
                total += static_cast<long long>(out.size() - z.avail_out);
            } while (z.avail_out == 0);
        } while (flush != Z_FINISH);
        deflateEnd(&z);
    }
    std::printf("%lld\n", total);
    return 0;
}

int RunMeasured(const char* resultPath, char** command) {
    auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child == 0) {
        execvp(command[0], command);
        std::perror(command[0]);
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (child < 0 || wait4(child, &status, 0, &usage) != child)
        return 1;
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    UniqueFile result(std::fopen(resultPath, "w"));
    double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                 static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    std::fprintf(result.get(), "%.3f %ld %.3f\n", took.count(), usage.ru_maxrss, cpu);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "corpus" && argc >= 3 && argc <= 5) {
        MakeGameCorpus(argv[2], argc >= 4 ? std::atol(argv[3]) : 0, argc == 5 && std::string(argv[4]) == "containers");
        return 0;
    }
    if (mode == "inflate-plain" && argc == 4)
        return ExtractPlain(argv[2], argv[3]);
    if (mode == "extract-core" && argc == 4)
        return ExtractCore(argv[2], argv[3], ExtractModeFull);
    if (mode == "setup-core" && argc == 4)
        return ExtractCore(argv[2], argv[3], ExtractModeSetup);
    if (mode == "deflate-zlib" && argc == 3)
        return DeflateZlib(argv[2]);
    if (mode == "run" && argc >= 4)
        return RunMeasured(argv[2], argv + 3);
    std::fprintf(stderr,
                 "usage: archive_bench corpus DIR [BIG_MB [containers]] | inflate-plain ARC DIR | extract-core ARC DIR | setup-core ARC DIR | "
                 "deflate-zlib GAMEDIR | run RESULT CMD...\n");
    return 2;
}
