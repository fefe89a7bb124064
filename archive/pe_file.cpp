#include "archive/pe_file.h"

#include <algorithm>
#include <cctype>

#include "archive/stdio_file.h"
#include "shell/little_endian.h"

namespace {

constexpr uint16_t kPe32Magic = 0x10B;
constexpr uint16_t kPe32PlusMagic = 0x20B;
constexpr uint32_t kSecurityDirectory = 4;
constexpr uint32_t kResourceDirectory = 2;
constexpr uint32_t kManifestType = 24;       // RT_MANIFEST
constexpr uint32_t kMaxManifest = 1 << 16;   // ours is under 1 KiB
constexpr uint32_t kSubdirectory = 0x80000000u;

// `n` bytes at `offset`, all inside the file's `length` bytes.
bool ReadAt(FILE* file, int64_t length, int64_t offset, void* buffer, size_t n) {
    return offset >= 0 && offset <= length - static_cast<int64_t>(n) && SeekFile(file, offset, SEEK_SET) &&
           ReadExact(file, buffer, n);
}

struct OptionalLayout {
    uint32_t directoriesAt;  // offset of the data directory in the optional header
    uint32_t countAt;        // offset of NumberOfRvaAndSizes
};

// Reads the sections' table and checks that their data lie inside the file.
bool ReadSections(FILE* file, int64_t length, int64_t tableAt, uint16_t count, PeHeaders& headers) {
    std::vector<unsigned char> table(size_t{40} * count);
    if (!ReadAt(file, length, tableAt, table.data(), table.size()))
        return false;
    for (uint16_t i = 0; i < count; ++i) {
        const unsigned char* s = table.data() + size_t{40} * i;
        PeSection section{LoadU32(s + 12), LoadU32(s + 8), LoadU32(s + 16), LoadU32(s + 20)};
        int64_t end = int64_t{section.rawOffset} + section.rawSize;
        if (section.rawSize > 0 && end > length)
            return false;
        if (section.rawSize > 0)
            headers.imageEnd = std::max(headers.imageEnd, end);
        headers.sections.push_back(section);
    }
    return true;
}

// The file offset of `size` bytes at `rva`, or -1 when no section holds them.
int64_t RvaToOffset(const PeHeaders& headers, uint32_t rva, uint32_t size) {
    for (const PeSection& s : headers.sections) {
        if (rva >= s.rva && int64_t{rva} - s.rva + size <= s.rawSize)
            return int64_t{s.rawOffset} + (rva - s.rva);
    }
    return -1;
}

// The first entry of a resource directory (at `offset` from the resource
// section's start) whose id is `id`, or its first entry when `id` is 0;
// returns the entry's OffsetToData, or 0 when there is none.
uint32_t ResourceEntry(FILE* file, int64_t length, int64_t base, uint32_t offset, uint32_t id) {
    unsigned char directory[16];
    if (!ReadAt(file, length, base + offset, directory, sizeof directory))
        return 0;
    // The entries in one read: a crafted count asks for up to 131,070 of them.
    std::vector<unsigned char> entries(size_t{8} * (LoadU16(directory + 12) + LoadU16(directory + 14)));
    if (!ReadAt(file, length, base + offset + 16, entries.data(), entries.size()))
        return 0;
    for (size_t at = 0; at < entries.size(); at += 8) {
        if (id == 0 || LoadU32(&entries[at]) == id)
            return LoadU32(&entries[at + 4]);
    }
    return 0;
}

}  // namespace

bool ReadPeHeaders(FILE* file, int64_t length, PeHeaders& headers) {
    headers = PeHeaders{};
    unsigned char dos[64];
    if (!ReadAt(file, length, 0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z')
        return false;
    int64_t peAt = LoadU32(dos + 0x3C);
    unsigned char coff[24];
    if (!ReadAt(file, length, peAt, coff, sizeof coff) || LoadU32(coff) != 0x00004550u)
        return false;
    uint16_t sectionCount = LoadU16(coff + 6);
    uint16_t optionalSize = LoadU16(coff + 20);
    headers.characteristics = LoadU16(coff + 22);
    headers.symbolsAt = LoadU32(coff + 12);
    headers.symbolCount = LoadU32(coff + 16);
    std::vector<unsigned char> optional(optionalSize);
    int64_t optionalAt = peAt + 24;
    if (optionalSize < 2 || !ReadAt(file, length, optionalAt, optional.data(), optional.size()))
        return false;
    uint16_t magic = LoadU16(optional.data());
    if (magic != kPe32Magic && magic != kPe32PlusMagic)
        return false;
    headers.pe32Plus = magic == kPe32PlusMagic;
    OptionalLayout layout = headers.pe32Plus ? OptionalLayout{112, 108} : OptionalLayout{96, 92};
    if (optionalSize < layout.directoriesAt)
        return false;
    headers.checkSumAt = optionalAt + 64;
    headers.imageEnd = LoadU32(optional.data() + 60);  // SizeOfHeaders
    uint32_t directories = std::min<uint32_t>(LoadU32(optional.data() + layout.countAt),
                                              (optionalSize - layout.directoriesAt) / 8);
    auto directory = [&](uint32_t index, uint32_t& first, uint32_t& second) {
        const unsigned char* d = optional.data() + layout.directoriesAt + 8 * index;
        first = LoadU32(d);
        second = LoadU32(d + 4);
    };
    if (directories > kSecurityDirectory) {
        headers.securityEntryAt = optionalAt + layout.directoriesAt + 8 * kSecurityDirectory;
        directory(kSecurityDirectory, headers.certificateOffset, headers.certificateSize);
    }
    if (directories > kResourceDirectory)
        directory(kResourceDirectory, headers.resourceRva, headers.resourceSize);
    return headers.imageEnd <= length &&
           ReadSections(file, length, optionalAt + optionalSize, sectionCount, headers);
}

int64_t CertificateTableStart(FILE* file, int64_t length, const PeHeaders& headers) {
    int64_t start = headers.certificateOffset;
    unsigned char certificate[8];  // WIN_CERTIFICATE: dwLength, wRevision, wCertificateType
    if (headers.securityEntryAt < 0 || headers.certificateSize < sizeof certificate || start < headers.imageEnd ||
        start + headers.certificateSize != length || !ReadAt(file, length, start, certificate, sizeof certificate))
        return -1;
    uint32_t first = LoadU32(certificate);
    uint16_t revision = LoadU16(certificate + 4);
    bool sound = first >= sizeof certificate && first <= headers.certificateSize &&
                 (revision == 0x0100 || revision == 0x0200);
    return sound ? start : -1;
}

std::string ReadPeManifest(FILE* file, int64_t length, const PeHeaders& headers) {
    int64_t base = RvaToOffset(headers, headers.resourceRva, 16);
    if (base < 0)
        return {};
    // Type, then name, then language; each level but the last a subdirectory.
    uint32_t next = ResourceEntry(file, length, base, 0, kManifestType);
    for (int level = 0; level < 2; ++level) {
        if (!(next & kSubdirectory))
            return {};
        next = ResourceEntry(file, length, base, next & ~kSubdirectory, 0);
    }
    unsigned char data[8];  // IMAGE_RESOURCE_DATA_ENTRY: RVA, size
    if (next == 0 || (next & kSubdirectory) || !ReadAt(file, length, base + next, data, sizeof data))
        return {};
    uint32_t size = std::min(LoadU32(data + 4), kMaxManifest);
    int64_t at = RvaToOffset(headers, LoadU32(data), size);
    std::string manifest(size, '\0');
    if (at < 0 || !ReadAt(file, length, at, manifest.data(), size))
        return {};
    return manifest;
}

std::string ManifestAssemblyName(const std::string& manifest) {
    size_t identity = manifest.find("<assemblyIdentity");
    size_t close = manifest.find('>', identity);
    if (identity == std::string::npos || close == std::string::npos)
        return {};
    std::string element = manifest.substr(identity, close - identity);
    // "name=" as an attribute of its own, not the end of another's name.
    for (size_t at = element.find("name=\""); at != std::string::npos; at = element.find("name=\"", at + 1)) {
        if (!std::isspace(static_cast<unsigned char>(element[at - 1])))
            continue;
        size_t begin = at + 6;
        size_t end = element.find('"', begin);
        return end == std::string::npos ? std::string() : element.substr(begin, end - begin);
    }
    return {};
}
