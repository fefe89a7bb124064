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
    bool signature = false;  // the program file ends in a signer's certificate table
    bool carried = false;    // the program file carries this archive of its own (see OpenAppendedArchive)
};

// A plain archive file (instdat.arc): the whole file is the archive.
OpenedArchive OpenPlainArchive(const char* path);

// An archive appended to a program file. The trailer must point inside the
// file, before itself; anything else is BadTrailer. When the PE headers name
// a certificate table that ends exactly at the file's end (a signed
// installer), the file ends, for the archive, where that table begins.
// `carried` tells a program that carries an archive from a bare program
// whose last bytes merely read as an offset: the first entry lies at or
// after the end of the program image and its header reads as a sound entry.
OpenedArchive OpenAppendedArchive(const char* programPath);

// The same on a file the caller opened for binary reading (nullptr gives
// CannotOpen); the file is owned by the result, or closed on failure.
OpenedArchive OpenPlainArchiveFile(FILE* file);
OpenedArchive OpenAppendedArchiveFile(FILE* file);

// The installer's rule: the archive programPath carries; when it carries
// none, "instdat.arc" in its folder (a disc's layout), so that a file
// planted beside a downloaded installer never replaces its game; when that
// does not open either, whatever the trailer names. Paths use '\\' or '/'.
OpenedArchive OpenPayloadArchiveFor(const char* programPath);
