// Small Windows programs for the tests that read PE headers: the headers,
// one section holding a manifest resource, and a signer's certificate table.
#pragma once

#include <string>

#include "shell/little_endian.h"

namespace testutil {

inline unsigned char* At(std::string& bytes, size_t offset) {
    return reinterpret_cast<unsigned char*>(bytes.data()) + offset;
}

constexpr size_t kPeAt = 0x40, kOptionalAt = kPeAt + 24, kSectionAt = 0x200, kImageEnd = 0x400;

inline size_t DirectoriesAt(bool plus) { return kOptionalAt + (plus ? 112 : 96); }

// A PE32 (or PE32+) program of 0x400 bytes whose manifest names `assembly`.
inline std::string PeProgram(bool plus, const std::string& assembly, uint16_t characteristics = 0x0102) {
    std::string pe(kImageEnd, '\0');
    pe[0] = 'M', pe[1] = 'Z';
    StoreU32(At(pe, 0x3C), kPeAt);
    StoreU32(At(pe, kPeAt), 0x4550);
    StoreU16(At(pe, kPeAt + 4), plus ? 0x8664 : 0x14C);
    StoreU16(At(pe, kPeAt + 6), 1);
    const uint16_t optionalSize = plus ? 240 : 224;
    StoreU16(At(pe, kPeAt + 20), optionalSize);
    StoreU16(At(pe, kPeAt + 22), characteristics);
    StoreU16(At(pe, kOptionalAt), plus ? 0x20B : 0x10B);
    StoreU32(At(pe, kOptionalAt + 60), kSectionAt);       // SizeOfHeaders
    StoreU32(At(pe, DirectoriesAt(plus) - 4), 16);          // NumberOfRvaAndSizes
    StoreU32(At(pe, DirectoriesAt(plus) + 16), 0x1000);     // the resources, all of the one section
    StoreU32(At(pe, DirectoriesAt(plus) + 20), 0x200);
    const uint32_t section[] = {0x200, 0x1000, 0x200, kSectionAt};  // VirtualSize, RVA, raw size and offset
    for (size_t i = 0; i < 4; ++i)
        StoreU32(At(pe, kOptionalAt + optionalSize + 8 + 4 * i), section[i]);
    // Type 24, name 1, language 0x411, each directory of one id entry.
    std::string manifest = "<assembly>\n  <assemblyIdentity type=\"win32\" name=\"" + assembly + "\"/>\n</assembly>";
    const uint32_t entries[][2] = {{24, 0x80000018}, {1, 0x80000030}, {0x411, 0x48}};
    for (size_t level = 0; level < 3; ++level) {
        StoreU16(At(pe, kSectionAt + 0x18 * level + 14), 1);
        StoreU32(At(pe, kSectionAt + 0x18 * level + 16), entries[level][0]);
        StoreU32(At(pe, kSectionAt + 0x18 * level + 20), entries[level][1]);
    }
    StoreU32(At(pe, kSectionAt + 0x48), 0x1058);
    StoreU32(At(pe, kSectionAt + 0x4C), static_cast<uint32_t>(manifest.size()));
    pe.replace(kSectionAt + 0x58, manifest.size(), manifest);
    return pe;
}

// `file` (a PeProgram with whatever follows it) padded to 8 bytes and
// signed: a certificate table of 16 bytes, named by the security entry.
inline std::string Signed(std::string file, bool plus, uint16_t revision = 0x0200) {
    file.resize((file.size() + 7) / 8 * 8, '\0');
    StoreU32(At(file, DirectoriesAt(plus) + 32), static_cast<uint32_t>(file.size()));
    StoreU32(At(file, DirectoriesAt(plus) + 36), 16);
    std::string table(16, '\x5A');
    StoreU32(At(table, 0), 16);
    StoreU16(At(table, 4), revision);
    return file + table;
}

}  // namespace testutil
