#include "archive/payload_locate.h"

#include <cstring>
#include <string>

#include "archive/pe_file.h"
#include "archive/stdio_file.h"
#include "shell/mbtext.h"

namespace {

OpenedArchive Refuse(ArchiveStatus status) {
    OpenedArchive result;
    result.status = status;
    return result;
}

}  // namespace

OpenedArchive OpenPlainArchive(const char* path) { return OpenPlainArchiveFile(std::fopen(path, "rb")); }

OpenedArchive OpenAppendedArchive(const char* programPath) {
    return OpenAppendedArchiveFile(std::fopen(programPath, "rb"));
}

OpenedArchive OpenPlainArchiveFile(FILE* opened) {
    UniqueFile file(opened);
    if (!file)
        return Refuse(ArchiveStatus::CannotOpen);
    int64_t length = SeekFileEnd(file.get());
    if (length < 0 || !SeekFile(file.get(), 0, SEEK_SET))
        return Refuse(ArchiveStatus::CannotOpen);
    if (length > INT32_MAX)
        return Refuse(ArchiveStatus::SizeTooLarge);
    return OpenedArchive{file.release(), static_cast<int32_t>(length), ArchiveStatus::Ok};
}

OpenedArchive OpenAppendedArchiveFile(FILE* opened) {
    UniqueFile file(opened);
    if (!file)
        return Refuse(ArchiveStatus::CannotOpen);
    int64_t length = SeekFileEnd(file.get());
    if (length < 0)
        return Refuse(ArchiveStatus::CannotOpen);
    if (length > INT32_MAX)
        return Refuse(ArchiveStatus::SizeTooLarge);
    PeHeaders pe;
    bool program = ReadPeHeaders(file.get(), length, pe);
    int64_t table = program ? CertificateTableStart(file.get(), length, pe) : -1;
    int64_t end = table >= 0 ? table : length;
    if (end < 4)
        return Refuse(ArchiveStatus::BadTrailer);
    int64_t trailerOffset = end - 4;
    unsigned char trailer[4];
    if (!SeekFile(file.get(), trailerOffset, SEEK_SET) || std::fread(trailer, 1, 4, file.get()) != 4)
        return Refuse(ArchiveStatus::CannotOpen);
    uint32_t start = LoadU32(trailer);
    if (start > trailerOffset)
        return Refuse(ArchiveStatus::BadTrailer);
    if (!SeekFile(file.get(), start, SEEK_SET))
        return Refuse(ArchiveStatus::CannotOpen);
    OpenedArchive result{nullptr, static_cast<int32_t>(trailerOffset - start), ArchiveStatus::Ok, table >= 0};
    ArchiveEntry first;
    result.carried = start >= (program ? pe.imageEnd : 0) && ReadArchiveEntry(file.get(), first) == ArchiveStatus::Ok &&
                     TellFile(file.get()) <= trailerOffset;
    if (!SeekFile(file.get(), start, SEEK_SET))
        return Refuse(ArchiveStatus::CannotOpen);
    result.file = file.release();
    return result;
}

OpenedArchive OpenPayloadArchiveFor(const char* programPath) {
    // The folder part ends after the last separator; a 0x5C that is the
    // second byte of a double-byte character is not one.
    const char* folderEnd = programPath;
    for (const char* p = programPath; *p; p = MbsInc(p)) {
        if (*p == '\\' || *p == '/')
            folderEnd = p + 1;
    }
    std::string plain(programPath, folderEnd);
    plain += "instdat.arc";
    OpenedArchive own = OpenAppendedArchive(programPath);
    if (own.carried)
        return own;
    OpenedArchive archive = OpenPlainArchive(plain.c_str());
    if (archive.status == ArchiveStatus::CannotOpen)
        return own;
    UniqueFile unused(own.file);
    return archive;
}
