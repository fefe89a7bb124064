#include "archive/payload_format.h"

#include <cctype>
#include <cstring>
#include <string>

#include "archive/stdio_file.h"
#include "shell/mbtext.h"

const char* DescribeArchiveStatus(ArchiveStatus status) {
    switch (status) {
    case ArchiveStatus::Ok:
        return "no error";
    case ArchiveStatus::CannotOpen:
        return "the archive cannot be opened";
    case ArchiveStatus::BadTrailer:
        return "the trailer does not point inside the file";
    case ArchiveStatus::Truncated:
        return "the archive ends inside an entry or before its end marker";
    case ArchiveStatus::NameTooLong:
        return "an entry name is longer than 260 bytes";
    case ArchiveStatus::NameNotTerminated:
        return "an entry name is empty or does not end in its NUL";
    case ArchiveStatus::UnsafeName:
        return "an entry name would leave the destination folder";
    case ArchiveStatus::PathTooLong:
        return "the output path would be longer than 259 bytes";
    case ArchiveStatus::SizeTooLarge:
        return "a size of 2 GiB or more";
    case ArchiveStatus::BadStream:
        return "damaged compressed data";
    case ArchiveStatus::CannotCreate:
        return "an output file cannot be created";
    case ArchiveStatus::WriteFailed:
        return "an output file cannot be written";
    }
    return "unknown error";
}

namespace {


bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// A level that names a device (CON, NUL, COM1, ...) opens the device, not a
// file, whatever extension follows it.
bool IsDeviceLevel(const char* begin, const char* end) {
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    const char* stem = begin;
    while (stem < end && *stem != '.')
        ++stem;
    while (stem > begin && stem[-1] == ' ')
        --stem;
    std::string base(begin, stem);
    for (char& c : base)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* device : kDevices) {
        if (base == device)
            return true;
    }
    return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) && base[3] >= '1' &&
           base[3] <= '9';
}

}  // namespace

int DotLevelDots(const char* begin, const char* end) {
    int dots = 0;
    for (const char* p = begin; p < end; ++p) {
        if (*p == '.')
            ++dots;
        else if (*p != ' ')
            return -1;
    }
    return dots;
}

bool IsSafeEntryName(const char* name) {
    if (name[0] == '\0' || IsSeparator(name[0]))
        return false;
    const char* level = name;
    for (const char* p = name;; p = MbsInc(p)) {
        if (*p == ':')
            return false;
        if (*p == '\0' || IsSeparator(*p)) {
            if (DotLevelDots(level, p) >= 2 || IsDeviceLevel(level, p))
                return false;
            if (*p == '\0')
                return true;
            level = p + 1;
        }
    }
}

ArchiveStatus ReadArchiveEntry(FILE* archive, ArchiveEntry& entry) {
    entry = ArchiveEntry{};
    unsigned char field[8];
    if (!ReadExact(archive, field, 2))
        return ArchiveStatus::Truncated;
    entry.nameLength = LoadU16(field);
    if (entry.nameLength == 0)
        return ArchiveStatus::Ok;
    if (entry.nameLength > kPathSize)
        return ArchiveStatus::NameTooLong;
    if (!ReadExact(archive, entry.name, entry.nameLength))
        return ArchiveStatus::Truncated;
    if (entry.name[entry.nameLength - 1] != '\0' || entry.name[0] == '\0')
        return ArchiveStatus::NameNotTerminated;
    if (!ReadExact(archive, field, 8))
        return ArchiveStatus::Truncated;
    entry.size = static_cast<int32_t>(LoadU32(field));
    entry.compressedSize = LoadU32(field + 4);
    // A size of 2^31 or more reads as a negative number other than -1.
    if (entry.size < kFolderSize || (!entry.IsFolder() && entry.compressedSize > INT32_MAX))
        return ArchiveStatus::SizeTooLarge;
    if (!IsSafeEntryName(entry.name))
        return ArchiveStatus::UnsafeName;
    return ArchiveStatus::Ok;
}
