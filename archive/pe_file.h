// The headers of a Windows program file (PE), read defensively for the
// archive code and the tool: where the image ends, the certificate table a
// signer appends, the manifest. Every field is checked against the file's
// length; a file whose headers do not add up is "not a program".
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

struct PeSection {
    uint32_t rva = 0;
    uint32_t virtualSize = 0;
    uint32_t rawSize = 0;
    uint32_t rawOffset = 0;
};

struct PeHeaders {
    bool pe32Plus = false;
    uint16_t characteristics = 0;  // of the COFF header
    uint32_t symbolsAt = 0;        // the COFF symbol table a linker may leave behind the sections; 0: none
    uint32_t symbolCount = 0;
    int64_t imageEnd = 0;          // end of the headers and of every section's data
    int64_t checkSumAt = 0;        // file offset of the optional header's CheckSum
    int64_t securityEntryAt = -1;  // file offset of the security directory entry; -1: the header has none
    uint32_t certificateOffset = 0;  // the certificate table that entry names (a file offset, not an RVA)
    uint32_t certificateSize = 0;
    uint32_t resourceRva = 0;
    uint32_t resourceSize = 0;
    std::vector<PeSection> sections;
};

constexpr uint16_t kPeExecutableImage = 0x0002;
constexpr uint16_t kPeDll = 0x2000;

// True with `headers` filled when `file` (`length` bytes) is a PE program:
// "MZ", e_lfanew inside the file, "PE\0\0", a PE32 or PE32+ optional header
// and sections whose data lie inside the file.
bool ReadPeHeaders(FILE* file, int64_t length, PeHeaders& headers);

// Where the certificate table begins when the security entry names one that
// lies after the image, ends exactly at `length` and starts with a sound
// certificate header; -1 otherwise (the file is not signed).
int64_t CertificateTableStart(FILE* file, int64_t length, const PeHeaders& headers);

// The first RT_MANIFEST resource, empty when there is none or it does not
// lie inside the file.
std::string ReadPeManifest(FILE* file, int64_t length, const PeHeaders& headers);

// The name attribute of the manifest's first assemblyIdentity (the program's
// own; the dependencies' come after it), empty when there is none.
std::string ManifestAssemblyName(const std::string& manifest);
