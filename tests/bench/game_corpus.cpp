#include "tests/bench/game_corpus.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "archive/stdio_file.h"

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

void PutLe(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PutBe(std::string& out, uint64_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

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

void AppendNoise(std::string& out, size_t size, Rng& rng) {
    size_t at = out.size();
    out.resize(at + size);
    for (size_t i = 0; i < size; i += 8) {
        uint64_t v = rng.Next();
        std::memcpy(out.data() + at + i, &v, std::min<size_t>(8, size - i));
    }
}

std::string NoiseContent(size_t size, Rng& rng) {
    std::string out;
    AppendNoise(out, size, rng);
    return out;
}

// The output of an entropy coder: nearly random bytes, a `skew`/256 share
// of them drawn from sixteen values, which is the little that deflate still
// finds in compressed music and photographs (about 1% and 2%).
void AppendCoded(std::string& out, size_t size, Rng& rng, unsigned skew) {
    for (size_t i = 0; i < size; ++i) {
        uint64_t r = rng.Next();
        out += static_cast<char>((r & 0xFF) < skew ? (r >> 8) & 0x0F : (r >> 16) & 0xFF);
    }
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

// `make` output deflated until the stream holds at least `size` bytes, cut
// there: what a PNG's pixels or a packed file's compressed entry look like.
std::string DeflatedContent(size_t size, Rng& rng, std::string (*make)(size_t, Rng&)) {
    z_stream z{};
    deflateInit(&z, 6);
    std::string out(size + 65536, '\0');
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    while (z.total_out < size) {
        std::string raw = make(256 << 10, rng);
        z.next_in = reinterpret_cast<Bytef*>(raw.data());
        z.avail_in = static_cast<uInt>(raw.size());
        deflate(&z, Z_NO_FLUSH);
    }
    deflateEnd(&z);
    out.resize(size);
    return out;
}

void AppendPngChunk(std::string& out, const char* type, const std::string& data) {
    PutBe(out, data.size(), 4);
    size_t start = out.size();
    out += type;
    out += data;
    PutBe(out, crc32(0, reinterpret_cast<const Bytef*>(out.data() + start), static_cast<uInt>(out.size() - start)), 4);
}

// A PNG: signature, header, the pixels deflated in 8 KiB IDAT chunks, end.
std::string PngContent(size_t size, Rng& rng) {
    std::string out = "\x89PNG\r\n\x1a\n";
    std::string header;
    PutBe(header, rng.Between(64, 1280), 4);
    PutBe(header, rng.Between(64, 720), 4);
    header += std::string("\x08\x06\x00\x00\x00", 5);  // 8-bit RGBA
    AppendPngChunk(out, "IHDR", header);
    std::string pixels = DeflatedContent(size > 64 ? size - 64 : size, rng, PictureContent);
    for (size_t at = 0; at < pixels.size(); at += 8192)
        AppendPngChunk(out, "IDAT", pixels.substr(at, 8192));
    AppendPngChunk(out, "IEND", "");
    return out;
}

void AppendJpegSegment(std::string& out, unsigned marker, const std::string& data) {
    PutBe(out, 0xFF00 | marker, 2);
    PutBe(out, data.size() + 2, 2);
    out += data;
}

// A baseline JPEG: JFIF header, quantisation and Huffman tables, then the
// entropy-coded scan with its 0xFF bytes stuffed and restart markers.
std::string JpegContent(size_t size, Rng& rng) {
    std::string out = "\xFF\xD8";
    AppendJpegSegment(out, 0xE0, std::string("JFIF\0\x01\x01\x00\x00\x48\x00\x48\x00\x00", 14));
    for (int table = 0; table < 2; ++table) {
        std::string q(1, static_cast<char>(table));
        for (int i = 0; i < 64; ++i)
            q += static_cast<char>(2 + i * (table + 1) / 2 + static_cast<int>(rng.Next() % 3));
        AppendJpegSegment(out, 0xDB, q);
    }
    std::string frame = "\x08";
    PutBe(frame, rng.Between(480, 1080), 2);
    PutBe(frame, rng.Between(640, 1920), 2);
    frame += std::string("\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01", 10);
    AppendJpegSegment(out, 0xC0, frame);
    for (int table : {0x00, 0x10, 0x01, 0x11}) {
        std::string h(1, static_cast<char>(table));
        int values = 0;
        for (int length = 1; length <= 16; ++length) {
            int n = length < 3 ? length : static_cast<int>(rng.Next() % 8);
            h += static_cast<char>(n);
            values += n;
        }
        AppendCoded(h, static_cast<size_t>(values), rng, 0);
        AppendJpegSegment(out, 0xC4, h);
    }
    AppendJpegSegment(out, 0xDD, std::string("\x00\x40", 2));
    AppendJpegSegment(out, 0xDA, std::string("\x03\x01\x00\x02\x11\x03\x11\x00\x3F\x00", 10));
    unsigned restart = 0;
    while (out.size() + 2 < size) {
        std::string scan;
        AppendCoded(scan, std::min<size_t>(size - 2 - out.size(), rng.Between(1000, 3000)), rng, 40);
        for (char c : scan) {
            out += c;
            if (c == '\xFF')
                out += '\0';
        }
        PutBe(out, 0xFFD0 + restart++ % 8, 2);
    }
    out.resize(size - 2);
    return out + "\xFF\xD9";
}

// An Ogg stream of compressed music or voice: pages of about 4 KiB, each
// with its header and lacing table, the first ones carrying the codec's
// set-up.
std::string OggContent(size_t size, Rng& rng) {
    std::string out;
    uint64_t serial = rng.Next() & 0xFFFFFFFF;
    uint64_t granule = 0;
    for (uint32_t page = 0; out.size() < size; ++page) {
        std::string body;
        if (page == 0) {
            body = std::string("\x01vorbis\0\0\0\0\x02\x44\xAC\0\0\0\0\0\0\0\xEE\x02\0\0\0\0\0\xB8\x01", 30);
        } else if (page == 1) {
            body = std::string("\x03vorbis\x0B\0\0\0encoder 1.3\x01\0\0\0\x0D\0\0\0TITLE=track", 40);
            body += std::string("\x05vorbis", 7);
            AppendCoded(body, 3000, rng, 90);
        } else {
            AppendCoded(body, rng.Between(3500, 4500), rng, 20);
            granule += 44100 * body.size() / 16000;
        }
        out += "OggS";
        out += '\0';
        out += static_cast<char>(page == 0 ? 2 : 0);
        PutLe(out, granule, 8);
        PutLe(out, serial, 4);
        PutLe(out, page, 4);
        PutLe(out, rng.Next() & 0xFFFFFFFF, 4);  // checksum
        size_t segments = body.size() / 255 + 1;
        out += static_cast<char>(segments);
        out += std::string(segments - 1, '\xFF');
        out += static_cast<char>(body.size() % 255);
        out += body;
    }
    out.resize(size);
    return out;
}

std::string BmpContent(size_t size, Rng& rng) {
    const size_t width = 640;
    size_t pixels = std::max<size_t>(size, 54) - 54;
    std::string out = "BM";
    PutLe(out, pixels + 54, 4);
    PutLe(out, 0, 4);
    PutLe(out, 54, 4);
    PutLe(out, 40, 4);
    PutLe(out, width, 4);
    PutLe(out, pixels / (3 * width), 4);
    PutLe(out, 0x180001, 4);  // one plane, 24 bits
    out += std::string(24, '\0');
    return out + PictureContent(pixels, rng);
}

std::string WavContent(size_t size, Rng& rng) {
    size_t samples = std::max<size_t>(size, 44) - 44;
    std::string out = "RIFF";
    PutLe(out, samples + 36, 4);
    out += "WAVEfmt ";
    PutLe(out, 16, 4);
    PutLe(out, 0x20001, 4);  // PCM, stereo
    PutLe(out, 44100, 4);
    PutLe(out, 44100 * 4, 4);
    PutLe(out, 0x100004, 4);  // 4-byte frames of 16-bit samples
    out += "data";
    PutLe(out, samples, 4);
    return out + SoundContent(samples, rng);
}

// Glyph outlines as a TrueType font stores them: per glyph the contour
// count, bounding box, contour ends, hinting, point flags and coordinate
// deltas; the locations and metrics tables follow.
std::string FontContent(size_t size, Rng& rng) {
    static const unsigned char kFlags[] = {0x01, 0x33, 0x37, 0x27, 0x23, 0x31, 0x00, 0x21};
    std::string glyphs;
    std::string locations;
    std::string metrics;
    while (glyphs.size() + locations.size() + metrics.size() + 1024 < size) {
        PutBe(locations, glyphs.size(), 4);
        PutBe(metrics, rng.Next() % 4 ? 1000 : 500, 2);
        PutBe(metrics, rng.Between(10, 120), 2);
        size_t contours = rng.Between(1, 6);
        PutBe(glyphs, contours, 2);
        for (int i = 0; i < 4; ++i)
            PutBe(glyphs, rng.Between(0, 1000), 2);
        size_t points = 0;
        for (size_t c = 0; c < contours; ++c) {
            points += rng.Between(4, 24);
            PutBe(glyphs, points - 1, 2);
        }
        size_t hinting = rng.Between(0, 40);
        PutBe(glyphs, hinting, 2);
        AppendCoded(glyphs, hinting, rng, 160);
        for (size_t p = 0; p < points; ++p)
            glyphs += static_cast<char>(kFlags[rng.Next() % 8]);
        for (size_t p = 0; p < 2 * points; ++p) {
            if (rng.Next() % 4 == 0)
                PutBe(glyphs, rng.Between(0, 700), 2);
            else
                glyphs += static_cast<char>(rng.Between(0, 80));
        }
    }
    std::string out = std::string("\x00\x01\x00\x00\x00\x03\x00\x20\x00\x01\x00\x10", 12);
    size_t offset = 12 + 3 * 16;
    for (const std::string* table : {&glyphs, &locations, &metrics}) {
        out += table == &glyphs ? "glyf" : table == &locations ? "loca" : "hmtx";
        PutBe(out, rng.Next() & 0xFFFFFFFF, 4);
        PutBe(out, offset, 4);
        PutBe(out, table->size(), 4);
        offset += table->size();
    }
    out += glyphs + locations + metrics;
    out.resize(size);
    return out;
}

using Maker = std::string (*)(size_t, Rng&);

std::string DeflatedText(size_t size, Rng& rng) { return DeflatedContent(size, rng, TextContent); }

// A packed data file: an index of named entries, then the entries, of 16 KiB
// to `largest` bytes, each made by one of `makers` drawn at random.
std::string PackFile(size_t size, Rng& rng, size_t largest, const std::vector<Maker>& makers) {
    std::vector<std::string> entries;
    size_t total = 0;
    while (total < size) {
        size_t length = std::min(size - total, rng.Between(16 << 10, largest));
        entries.push_back(makers[rng.Next() % makers.size()](length, rng));
        total += length;
    }
    std::string out = "PACK";
    PutLe(out, entries.size(), 4);
    size_t offset = 8 + 64 * entries.size();
    for (size_t i = 0; i < entries.size(); ++i) {
        std::string name = "entry" + std::to_string(i) + ".bin";
        name.resize(48, '\0');
        out += name;
        PutLe(out, offset, 4);
        PutLe(out, entries[i].size(), 4);
        PutLe(out, rng.Next() % 2, 4);
        PutLe(out, 0, 4);
        offset += entries[i].size();
    }
    for (const std::string& e : entries)
        out += e;
    out.resize(size);
    return out;
}

// A packed data file of the kind games carry beside their media: some
// entries deflated by the game's own packer (scripts, pictures), some
// stored as they are (uncompressed pictures and sounds, already-compressed
// pictures).
std::string PackContent(size_t size, Rng& rng) {
    return PackFile(size, rng, 400 << 10,
                    {DeflatedText, DeflatedText, PngContent, PictureContent, PictureContent, SoundContent});
}

// A program: machine code (common instruction forms with random operands,
// addresses and displacements), then tables of names and strings.
std::string ProgramContent(size_t size, Rng& rng) {
    static const char* const kForms[] = {"\x55\x8B\xEC", "\x83\xEC", "\xE8", "\x8B\x45", "\x89\x45", "\xC3",
                                         "\x6A",         "\xFF\x15", "\x85\xC0\x74", "\x33\xC0", "\x50", "\x8D\x4D"};
    static const int kOperandBytes[] = {0, 1, 4, 1, 1, 0, 1, 4, 1, 0, 0, 1};
    std::string out = std::string("MZ\x90\0\x03\0\0\0\x04\0\0\0\xFF\xFF", 14);
    out.resize(0x80, '\0');
    out += std::string("PE\0\0\x4C\x01\x04\0", 8);
    while (out.size() < size * 3 / 4) {
        size_t form = rng.Next() % 12;
        out += kForms[form];
        AppendNoise(out, static_cast<size_t>(kOperandBytes[form]), rng);
    }
    while (out.size() < size)
        out += "Get" + std::to_string(rng.Between(1, 400)) + "Proc" + std::string(1 + rng.Next() % 3, '\0');
    out.resize(size);
    return out;
}

// An uncompressed 32-bit sprite: rows of flat colours with soft edges
// between transparent margins.
std::string SpriteContent(size_t size, Rng& rng) {
    const size_t width = rng.Between(64, 512);
    std::string out;
    out.reserve(size + 4 * width);
    uint32_t color = static_cast<uint32_t>(rng.Next());
    size_t margin = width / 4;
    while (out.size() < size) {
        margin = std::clamp<size_t>(margin + rng.Between(0, 4), 2, width / 2) - 2;
        if (rng.Next() % 16 == 0)
            color = static_cast<uint32_t>(rng.Next());
        for (size_t x = 0; x < width; ++x) {
            bool inside = x >= margin && x < width - margin;
            uint32_t pixel = inside ? (color & 0xFFFFFF) | 0xFF000000 : 0;
            if (inside && rng.Next() % 6 == 0)
                pixel += static_cast<uint32_t>(rng.Next() % 4) * 0x010101;
            PutLe(out, pixel, 4);
        }
    }
    out.resize(size);
    return out;
}

// The engine's own container of sprites and scripts, tens of MB: sprite
// sheets compressed as PNG, scripts deflated by the engine's packer, raw
// sprites, plain scripts and compiled ones. Deflate shrinks it by a third.
std::string ContainerContent(size_t size, Rng& rng) {
    return PackFile(size, rng, 600 << 10,
                    {PngContent, PngContent, DeflatedText, DeflatedText, SpriteContent, TextContent, ProgramContent});
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

}  // namespace

void MakeGameCorpus(const std::filesystem::path& dir, long bigMegabytes, bool containers) {
    Rng rng(2024);
    Write(dir / "install.env", "TITLEBAR\tBenchmark\r\nINSTTO\tBenchmark\r\nEXENAME\tvarnok.exe\r\n[EOF]\r\n");
    Write(dir / "insttscr.rct", NoiseContent(2790, rng));
    Write(dir / "varnok.exe", ProgramContent(1200 << 10, rng));
    Write(dir / "UnInst.exe", ProgramContent(100 << 10, rng));
    Write(dir / "readme.txt", TextContent(6000, rng));
    // Already compressed: 69 MB. Scripts 40 MB, uncompressed pictures and
    // sounds 37 MB, packed data 32 MB, fonts 12 MB.
    const Group groups[] = {
        {"data/bgm", ".ogg", 14, 1000 << 10, 2600 << 10, OggContent},
        {"data/voice", ".ogg", 450, 8 << 10, 56 << 10, OggContent},
        {"data/image/ch", ".png", 180, 20 << 10, 180 << 10, PngContent},
        {"data/image/ui", ".png", 60, 2 << 10, 30 << 10, PngContent},
        {"data/image/ev", ".jpg", 40, 100 << 10, 400 << 10, JpegContent},
        {"data/image/bg", ".bmp", 50, 300 << 10, 900 << 10, BmpContent},
        {"data/scenario", ".vks", 450, 4 << 10, 120 << 10, TextContent},
        {"data/se", ".wav", 250, 2 << 10, 60 << 10, WavContent},
        {"data/font", ".ttf", 2, 5 << 20, 9 << 20, FontContent},
        {"data/pack", ".pak", 3, 8 << 20, 14 << 20, PackContent},
    };
    for (const Group& g : groups) {
        for (int i = 0; i < g.count; ++i) {
            std::string name = std::string(g.folder) + "/" + std::to_string(i) + g.extension;
            Write(dir / name, g.make(rng.Between(g.low, g.high), rng));
        }
    }
    Write(dir / "data/scenario.dat", TextContent(11 << 20, rng));
    if (containers) {
        Write(dir / "data/arc/sprite.arc", ContainerContent(56 << 20, rng));
        Write(dir / "data/arc/script.arc", ContainerContent(36 << 20, rng));
    }
    if (bigMegabytes > 0) {
        // Written in 1 MiB pieces, half incompressible and half picture.
        std::filesystem::create_directories(dir / "data/movie");
        UniqueFile f(std::fopen((dir / "data/movie/huge.bin").c_str(), "wb"));
        for (long i = 0; i < bigMegabytes; ++i) {
            std::string piece = i % 2 ? NoiseContent(1 << 20, rng) : PictureContent(1 << 20, rng);
            std::fwrite(piece.data(), 1, piece.size(), f.get());
        }
    }
}
