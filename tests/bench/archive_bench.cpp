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
#include <cmath>
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

// A double-byte Shift-JIS character: hiragana, katakana or a level-1 kanji.
void AppendJapaneseCharacter(std::string& out, Rng& rng) {
    switch (rng.Next() % 3) {
    case 0:
        out += '\x82';
        out += static_cast<char>(0x9F + rng.Next() % 83);
        break;
    case 1:
        out += '\x83';
        out += static_cast<char>(0x40 + rng.Next() % 63);
        break;
    default:
        out += static_cast<char>(0x88 + rng.Next() % 16);
        out += static_cast<char>(0x9F + rng.Next() % 94);
    }
}

// Script text: dialogue lines in Shift-JIS drawn from a vocabulary whose
// word frequencies fall off like a language's, and ASCII commands.
std::string TextContent(size_t size, Rng& rng) {
    static const std::vector<std::string> kWords = [] {
        Rng words(7);
        std::vector<std::string> list(800);
        for (std::string& w : list) {
            for (size_t n = words.Between(1, 4); n > 0; --n)
                AppendJapaneseCharacter(w, words);
        }
        return list;
    }();
    auto word = [&] {
        double u = static_cast<double>(rng.Next() % 1000000) / 1e6;
        return kWords[static_cast<size_t>(u * u * u * static_cast<double>(kWords.size()))];
    };
    std::string out;
    while (out.size() < size) {
        switch (rng.Next() % 5) {
        case 0:
            out += "@bg storage=\"bg" + std::to_string(rng.Between(1, 150)) + "\" time=" +
                   std::to_string(rng.Between(1, 40) * 50) + "\r\n";
            break;
        case 1:
            out += "@se storage=\"se" + std::to_string(rng.Between(1, 480)) + "\" vol=" +
                   std::to_string(rng.Between(5, 10) * 10) + "\r\n";
            break;
        default:
            out += "\x81\x79" + word() + "\x81\x7a\x81\x75";
            for (size_t w = rng.Between(3, 16); w > 0; --w)
                out += word() + (rng.Next() % 6 == 0 ? "\x81\x41" : "");
            out += "\x81\x42\x81\x76\r\n";
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

// An uncompressed 24-bit picture of illustration art: flat areas, soft
// gradients, a little noise on the edges.
std::string PictureContent(size_t size, Rng& rng) {
    const size_t width = 640;
    std::string out;
    out.reserve(size + 3 * width);
    uint32_t color = static_cast<uint32_t>(rng.Next());
    while (out.size() < size) {
        if (rng.Next() % 24 == 0)
            color = static_cast<uint32_t>(rng.Next());
        size_t x = 0;
        while (x < width) {
            size_t run = std::min(width - x, rng.Between(8, 240));
            bool gradient = rng.Next() % 3 == 0;
            uint32_t c = rng.Next() % 5 == 0 ? static_cast<uint32_t>(rng.Next()) : color;
            for (size_t i = 0; i < run; ++i, ++x) {
                unsigned step = gradient ? static_cast<unsigned>(i / 4) : 0;
                unsigned noise = rng.Next() % 8 == 0 ? static_cast<unsigned>(rng.Next() % 3) : 0;
                out += static_cast<char>((c & 0xFF) + step + noise);
                out += static_cast<char>(((c >> 8) & 0xFF) + step);
                out += static_cast<char>(((c >> 16) & 0xFF) + noise);
            }
        }
    }
    out.resize(size);
    return out;
}

// Uncompressed 16-bit stereo sound: a few tones under an envelope, with
// stretches of silence.
std::string SoundContent(size_t size, Rng& rng) {
    std::string out;
    out.reserve(size + 4);
    double phase = 0;
    while (out.size() < size) {
        size_t samples = rng.Between(2000, 40000);
        bool silence = rng.Next() % 4 == 0;
        double step = 0.01 + static_cast<double>(rng.Next() % 100) / 1000;
        double volume = static_cast<double>(rng.Between(500, 12000));
        for (size_t i = 0; i < samples && out.size() < size; ++i) {
            phase += step;
            double envelope = 1.0 - static_cast<double>(i) / static_cast<double>(samples);
            auto v = silence ? 0 : static_cast<int16_t>(volume * envelope * (std::sin(phase) + 0.3 * std::sin(3.1 * phase)));
            for (int channel = 0; channel < 2; ++channel) {
                out += static_cast<char>(v & 0xFF);
                out += static_cast<char>((v >> 8) & 0xFF);
            }
        }
    }
    out.resize(size);
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
    Write(dir / "install.env", "TITLEBAR\tBenchmark\r\nINSTTO\tBenchmark\r\nEXENAME\tvarnok.exe\r\n[EOF]\r\n");
    Write(dir / "insttscr.rct", NoiseContent(2790, rng));
    Write(dir / "varnok.exe", NoiseContent(1 << 20, rng));
    Write(dir / "UnInst.exe", NoiseContent(100 << 10, rng));
    Write(dir / "readme.txt", TextContent(6000, rng));
    const Group groups[] = {
        {"data/scenario", ".vks", 500, 4 << 10, 120 << 10, TextContent},
        {"data/image/bg", ".bmp", 150, 100 << 10, 600 << 10, PictureContent},
        {"data/image/ch", ".png", 300, 20 << 10, 200 << 10, NoiseContent},
        {"data/bgm", ".ogg", 60, 200 << 10, 800 << 10, NoiseContent},
        {"data/se", ".wav", 480, 1 << 10, 40 << 10, SoundContent},
    };
    for (const Group& g : groups) {
        for (int i = 0; i < g.count; ++i) {
            std::string name = std::string(g.folder) + "/" + std::to_string(i) + g.extension;
            Write(dir / name, g.make(rng.Between(g.low, g.high), rng));
        }
    }
    Write(dir / "data/movie/op.mpg", NoiseContent(14 << 20, rng));
    Write(dir / "data/voice.pak", SoundContent(12 << 20, rng));
    Write(dir / "data/scenario.dat", TextContent(11 << 20, rng));
    if (bigMegabytes > 0) {
        // Written in 1 MiB pieces, half incompressible and half picture.
        UniqueFile f(std::fopen((dir / "data/movie/huge.bin").c_str(), "wb"));
        for (long i = 0; i < bigMegabytes; ++i) {
            std::string piece = i % 2 ? NoiseContent(1 << 20, rng) : PictureContent(1 << 20, rng);
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
    if (mode == "corpus" && (argc == 3 || argc == 4))
        return MakeCorpus(argv[2], argc == 4 ? std::atol(argv[3]) : 0);
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
                 "usage: archive_bench corpus DIR [BIG_MB] | inflate-plain ARC DIR | extract-core ARC DIR | setup-core ARC DIR | "
                 "deflate-zlib GAMEDIR | run RESULT CMD...\n");
    return 2;
}
