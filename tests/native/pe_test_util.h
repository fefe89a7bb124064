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

// A PE32 (or PE32+) program of 0x400 bytes whose manifest names
// `assembly`: headers, and one section of resources (type 24, name 1,
// language 0x411, each directory of one entry) holding the manifest.
inline std::string PeProgram(bool plus, const std::string& assembly, uint32_t characteristics = 0x0102) {
    std::string pe(kImageEnd, '\0'), manifest = "<assembly>\n  <assemblyIdentity name=\"" + assembly + "\"/>\n</assembly>";
    const size_t d = DirectoriesAt(plus), s = kOptionalAt + (plus ? 240 : 224), r = kSectionAt;
    const struct {
        size_t at;
        uint32_t value;
    } fields[] = {
        {0, 'M' | 'Z' << 8}, {0x3C, kPeAt}, {kPeAt, 0x4550}, {kPeAt + 4, (plus ? 0x8664u : 0x14Cu) | 1u << 16},
        {kPeAt + 20, (plus ? 240u : 224u) | characteristics << 16}, {kOptionalAt, plus ? 0x20Bu : 0x10Bu},
        {kOptionalAt + 60, kSectionAt}, {d - 4, 16}, {d + 16, 0x1000}, {d + 20, 0x200},  // the resources
        {s + 8, 0x200}, {s + 12, 0x1000}, {s + 16, 0x200}, {s + 20, kSectionAt},          // the one section
        {r + 12, 1u << 16}, {r + 16, 24}, {r + 20, 0x80000018}, {r + 0x24, 1u << 16}, {r + 0x28, 1},
        {r + 0x2C, 0x80000030}, {r + 0x3C, 1u << 16}, {r + 0x40, 0x411}, {r + 0x44, 0x48}, {r + 0x48, 0x1058},
        {r + 0x4C, static_cast<uint32_t>(manifest.size())},
    };
    for (const auto& f : fields)
        StoreU32(At(pe, f.at), f.value);
    return pe.replace(r + 0x58, manifest.size(), manifest);
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
