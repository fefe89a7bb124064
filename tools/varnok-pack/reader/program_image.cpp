#include "tools/varnok-pack/reader/program_image.h"

#include <algorithm>

#include "archive/stdio_file.h"
#include "shell/little_endian.h"

namespace {

constexpr int kSectionHeaderSize = 40;
constexpr int kSymbolSize = 18;

bool ReadAt(FILE* file, int64_t offset, unsigned char* buffer, size_t n) {
    return SeekFile(file, offset, SEEK_SET) && ReadExact(file, buffer, n);
}

}  // namespace

int64_t ProgramImageEnd(FILE* file) {
    unsigned char field[4];
    if (!ReadAt(file, 0x3C, field, 4))
        return -1;
    int64_t peHeader = LoadU32(field);
    // The signature, then the file header: section count at 6, optional header size at 20.
    unsigned char head[24];
    if (!ReadAt(file, peHeader, head, sizeof head) || head[0] != 'P' || head[1] != 'E' || head[2] || head[3])
        return -1;
    int sections = LoadU16(head + 4 + 2);
    int64_t table = peHeader + sizeof head + LoadU16(head + 4 + 16);
    int64_t end = table + static_cast<int64_t>(sections) * kSectionHeaderSize;
    for (int i = 0; i < sections; ++i) {
        unsigned char section[kSectionHeaderSize];
        if (!ReadAt(file, table + i * kSectionHeaderSize, section, sizeof section))
            return -1;
        end = std::max<int64_t>(end, static_cast<int64_t>(LoadU32(section + 20)) + LoadU32(section + 16));
    }
    // What the linker and a signature put behind the sections: the COFF
    // symbols with their string table, and the certificate table.
    if (int64_t symbols = LoadU32(head + 4 + 8)) {
        int64_t strings = symbols + static_cast<int64_t>(LoadU32(head + 4 + 12)) * kSymbolSize;
        end = std::max(end, strings + (ReadAt(file, strings, field, 4) ? LoadU32(field) : 0));
    }
    unsigned char magic[2];
    int64_t optional = peHeader + sizeof head;
    int64_t certificate = optional + (ReadAt(file, optional, magic, 2) && LoadU16(magic) == 0x20B ? 144 : 128);
    unsigned char entry[8];
    if (LoadU16(head + 4 + 16) >= certificate - optional + 8 && ReadAt(file, certificate, entry, sizeof entry))
        end = std::max<int64_t>(end, static_cast<int64_t>(LoadU32(entry)) + LoadU32(entry + 4));
    return end;
}
