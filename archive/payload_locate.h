// Finding the archive: instdat.arc beside the program file, or the archive
// appended to the program file and found through its 4-byte trailer.
#pragma once

#include <cstdint>
#include <cstdio>

#include "archive/payload_format.h"

struct OpenedArchive {
    FILE* file = nullptr;        // positioned at the first entry; the caller closes it
    int32_t payloadLength = 0;   // bytes from the first entry up to the trailer
    ArchiveStatus status = ArchiveStatus::CannotOpen;
};

// A plain archive file (instdat.arc): the whole file is the archive.
OpenedArchive OpenPlainArchive(const char* path);

// An archive appended to a program file. The trailer must point inside the
// file, before itself; anything else is BadTrailer.
OpenedArchive OpenAppendedArchive(const char* programPath);

// The same on a file the caller opened for binary reading (nullptr gives
// CannotOpen); the file is owned by the result, or closed on failure.
OpenedArchive OpenPlainArchiveFile(FILE* file);
OpenedArchive OpenAppendedArchiveFile(FILE* file);

// The installer's rule: "instdat.arc" in programPath's folder wins when it
// opens; otherwise the archive appended to programPath. Paths use '\\' or '/'.
OpenedArchive OpenPayloadArchiveFor(const char* programPath);
