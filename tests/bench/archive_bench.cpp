// Archive benchmark helpers, driven and timed by scripts/bench.sh.
//
//   archive_bench corpus DIR [BIG_MB]     writes a game folder of ~1,500 files
//                                         (~190 MB: text, incompressible and
//                                         repetitive binary, three files over
//                                         10 MB); BIG_MB adds one file that big
//   archive_bench inflate-plain ARC DIR   (a) the installer's design as a plain
//                                         loop: per file two 128 KiB buffers,
//                                         zlib inflate, fwrite, file time
//   archive_bench extract-core ARC DIR    (b) the portable walk the installer
//                                         runs, with the Linux callback
//   archive_bench deflate-zlib GAMEDIR    zlib level 6 on one thread over the
//                                         files pack would take; prints the
//                                         compressed total
//   archive_bench run RESULT CMD...       runs CMD and writes its wall time in
//                                         seconds and its peak resident set in
//                                         KiB to the file RESULT
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
#include "tools/varnok-pack/game_folder.h"
#include "tools/varnok-pack/native_extract.h"

namespace {

// xorshift64*: fast, and the same corpus on every machine.
class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ULL + 1) {}
    uint64_t Next() {
        state_ ^= state_ >> 12;
        state_ ^= state_ << 25;
        state_ ^= state_ >> 27;
        return state_ * 0x2545F4914F6CDD1DULL;
    }
    size_t Between(size_t low, size_t high) { return low + Next() % (high - low + 1); }

private:
    uint64_t state_;
};

// Script text: Shift-JIS dialogue lines and ASCII commands.
std::string TextContent(size_t size, Rng& rng) {
    static const char* const kWords[] = {
        "\x90\xaf",          "\x8b\x75",      "\x95\xa8\x8c\xea", "\x8d\xa1\x96\xe9", "\x88\xea\x8f\x8f",
        "\x82\xcd",          "\x82\xaa",      "\x82\xf0",         "\x82\xc9",         "\x82\xc5\x82\xb7",
        "\x8c\xa9\x82\xa6\x82\xe9", "\x97\x88\x82\xe6\x82\xa4", "\x81\x41", "\x81\x42", "\x82\xa0\x82\xe8\x82\xaa\x82\xc6\x82\xa4",
    };
    static const char* const kNames[] = {"\x83\x86\x83\x45", "\x83\x7e\x83\x69", "\x90\xe6\x90\xb6"};
    std::string out;
    while (out.size() < size) {
        switch (rng.Next() % 4) {
        case 0:
            out += "@bg storage=\"bg" + std::to_string(rng.Between(1, 120)) + "\" time=" +
                   std::to_string(rng.Between(100, 2000)) + "\r\n";
            break;
        case 1:
            out += "@se storage=\"se" + std::to_string(rng.Between(1, 480)) + "\"\r\n";
            break;
        default:
            out += std::string("\x81\x79") + kNames[rng.Next() % 3] + "\x81\x7a\x81\x75";
            for (size_t w = rng.Between(4, 14); w > 0; --w)
                out += kWords[rng.Next() % (sizeof kWords / sizeof kWords[0])];
            out += "\x81\x76\r\n";
        }
    }
    out.resize(size);
    return out;
}

std::string NoiseContent(size_t size, Rng& rng) {
    std::string out(size, '\0');
    for (size_t i = 0; i < size; i += 8) {
        uint64_t v = rng.Next();
        std::memcpy(out.data() + i, &v, std::min<size_t>(8, size - i));
    }
    return out;
}

// Uncompressed pictures and sound: runs of similar values with a little noise.
std::string RepetitiveContent(size_t size, Rng& rng) {
    std::string out;
    out.reserve(size);
    while (out.size() < size) {
        size_t run = rng.Between(16, 600);
        unsigned char base = static_cast<unsigned char>(rng.Next());
        for (size_t i = 0; i < run && out.size() < size; ++i)
            out += static_cast<char>(base + ((rng.Next() & 15) == 0 ? 1 : 0));
    }
    return out;
}

void Write(const std::filesystem::path& path, const std::string& content) {
    std::filesystem::create_directories(path.parent_path());
    UniqueFile f(std::fopen(path.c_str(), "wb"));
    if (!f || std::fwrite(content.data(), 1, content.size(), f.get()) != content.size()) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

struct Group {
    const char* folder;
    const char* extension;
    int count;
    size_t low, high;
    std::string (*make)(size_t, Rng&);
};

int MakeCorpus(const std::filesystem::path& dir, long bigMegabytes) {
    Rng rng(2024);
    Write(dir / "install.env", TextContent(3000, rng));
    Write(dir / "insttscr.rct", NoiseContent(2790, rng));
    Write(dir / "readme.txt", TextContent(6000, rng));
    const Group groups[] = {
        {"data/scenario", ".vks", 500, 4 << 10, 120 << 10, TextContent},
        {"data/image/bg", ".bmp", 150, 100 << 10, 600 << 10, RepetitiveContent},
        {"data/image/ch", ".png", 300, 20 << 10, 200 << 10, NoiseContent},
        {"data/bgm", ".ogg", 60, 200 << 10, 800 << 10, NoiseContent},
        {"data/se", ".wav", 480, 1 << 10, 40 << 10, RepetitiveContent},
    };
    for (const Group& g : groups) {
        for (int i = 0; i < g.count; ++i) {
            std::string name = std::string(g.folder) + "/" + std::to_string(i) + g.extension;
            Write(dir / name, g.make(rng.Between(g.low, g.high), rng));
        }
    }
    Write(dir / "data/movie/op.mpg", NoiseContent(14 << 20, rng));
    Write(dir / "data/voice.pak", RepetitiveContent(12 << 20, rng));
    Write(dir / "data/scenario.dat", TextContent(11 << 20, rng));
    if (bigMegabytes > 0) {
        // Written in 1 MiB pieces, half incompressible and half repetitive.
        UniqueFile f(std::fopen((dir / "data/movie/huge.bin").c_str(), "wb"));
        for (long i = 0; i < bigMegabytes; ++i) {
            std::string piece = i % 2 ? NoiseContent(1 << 20, rng) : RepetitiveContent(1 << 20, rng);
            std::fwrite(piece.data(), 1, piece.size(), f.get());
        }
    }
    return 0;
}

OpenedArchive OpenOrDie(const char* path) {
    OpenedArchive archive = OpenPlainArchive(path);
    if (archive.status != ArchiveStatus::Ok) {
        std::fprintf(stderr, "%s: %s\n", path, DescribeArchiveStatus(archive.status));
        std::exit(1);
    }
    return archive;
}

bool ReadExact(FILE* f, void* p, size_t n) { return std::fread(p, 1, n, f) == n; }

// One file as the installer's loop does it, nothing more.
bool InflatePlain(FILE* archive, uint32_t remaining, FILE* out) {
    auto* in = static_cast<unsigned char*>(std::malloc(ProgressUnit));
    auto* buffer = static_cast<unsigned char*>(std::malloc(ProgressUnit));
    z_stream z{};
    bool ok = inflateInit(&z) == Z_OK;
    z.next_out = buffer;
    z.avail_out = ProgressUnit;
    for (int rc = Z_OK; ok && rc != Z_STREAM_END;) {
        if (z.avail_in == 0 && remaining > 0) {
            uint32_t piece = std::min<uint32_t>(remaining, ProgressUnit);
            remaining -= piece;
            z.avail_in = static_cast<uInt>(std::fread(in, 1, piece, archive));
            z.next_in = in;
        }
        rc = inflate(&z, Z_NO_FLUSH);
        ok = rc == Z_OK || rc == Z_STREAM_END;
        size_t full = ProgressUnit - z.avail_out;
        if (ok && (z.avail_out == 0 || rc == Z_STREAM_END) && full > 0) {
            ok = std::fwrite(buffer, 1, full, out) == full;
            z.next_out = buffer;
            z.avail_out = ProgressUnit;
        }
    }
    inflateEnd(&z);
    std::free(in);
    std::free(buffer);
    return ok;
}

int ExtractPlain(const char* path, const std::string& dest) {
    OpenedArchive opened = OpenOrDie(path);
    UniqueFile archive(opened.file);
    NativeExtractCallback files(dest);
    for (;;) {
        unsigned char field[8];
        char name[kMaxPath];
        if (!ReadExact(archive.get(), field, 2))
            return 1;
        uint16_t length = LoadU16(field);
        if (length == 0)
            return 0;
        if (length > kMaxPath || !ReadExact(archive.get(), name, length) || !ReadExact(archive.get(), field, 8))
            return 1;
        std::string walkPath = dest + "\\" + name;
        if (static_cast<int32_t>(LoadU32(field)) == kFolderSize) {
            files.CreateFolder(walkPath.c_str());
            continue;
        }
        uint32_t compressed = LoadU32(field + 4);
        if (!ReadExact(archive.get(), field, 8))
            return 1;
        UniqueFile out(files.CreateOutputFile(walkPath.c_str()));
        if (!out || !InflatePlain(archive.get(), compressed, out.get()))
            return 1;
        out.reset();
        files.SetFileTime(walkPath.c_str(), LoadU64(field));
    }
}

int ExtractCore(const char* path, const std::string& dest) {
    OpenedArchive opened = OpenOrDie(path);
    UniqueFile archive(opened.file);
    NativeExtractCallback files(dest);
    ExtractFailure failure;
    ArchiveStatus status = ExtractArchive(archive.get(), dest.c_str(), ExtractModeFull, files, &failure);
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
    std::fprintf(result.get(), "%.3f %ld\n", took.count(), usage.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

}  // namespace

int main(int argc, char** argv) {
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "corpus" && (argc == 3 || argc == 4))
        return MakeCorpus(argv[2], argc == 4 ? std::atol(argv[3]) : 0);
    if (mode == "inflate-plain" && argc == 4)
        return ExtractPlain(argv[2], argv[3]);
    if (mode == "extract-core" && argc == 4)
        return ExtractCore(argv[2], argv[3]);
    if (mode == "deflate-zlib" && argc == 3)
        return DeflateZlib(argv[2]);
    if (mode == "run" && argc >= 4)
        return RunMeasured(argv[2], argv + 3);
    std::fprintf(stderr,
                 "usage: archive_bench corpus DIR [BIG_MB] | inflate-plain ARC DIR | extract-core ARC DIR | "
                 "deflate-zlib GAMEDIR | run RESULT CMD...\n");
    return 2;
}
