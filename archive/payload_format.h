// The payload archive's byte format: a flat list of entries, each file one
// zlib stream, closed by a name length of 0. All integers little-endian.
//
//   u16 name length N (NUL included; 0 = end marker)
//   N   name, Shift-JIS, '\\' between levels, last byte NUL
//   i32 size (-1 = folder)
//   u32 compressed size Z (folders carry it too)
//   u64 last-write FILETIME            (files only)
//   Z   zlib stream                     (files only)
//
// An installer is the program image, the archive, two more zero bytes after
// the end marker, and a u32 trailer holding the image's length.
#pragma once

#include <cstdint>
#include <cstdio>

#include "shell/little_endian.h"
#include "shell/path_size.h"

constexpr int32_t ProgressUnit = 131072;  // inflate buffer size and progress bar unit
constexpr int32_t kFolderSize = -1;

// 1 = setup pass (only the installer's own set-up files), 0 = full pass.
enum ExtractMode : int { ExtractModeFull = 0, ExtractModeSetup = 1 };

struct ArchiveEntry {
    uint16_t nameLength = 0;  // bytes of the name with its NUL; 0 ends the list
    char name[kPathSize] = {};
    int32_t size = 0;  // kFolderSize for a folder
    uint32_t compressedSize = 0;
    bool IsFolder() const { return size == kFolderSize; }
};

// Why a walk stopped. Ok is 0 so that it reads like the system's 0-for-success.
enum class ArchiveStatus {
    Ok = 0,
    CannotOpen,         // no archive file could be opened
    BadTrailer,         // the trailer points outside the file
    Truncated,          // the file ends inside an entry or before the end marker
    NameTooLong,        // N over 260
    NameNotTerminated,  // the name's last byte is not its NUL, or N is 1 with an empty name
    UnsafeName,         // absolute, drive-qualified, or with a ".." level
    PathTooLong,        // destination, '\\' and name do not fit in 260 bytes
    SizeTooLarge,       // a size of 2^31 or more, or a folder/file size that makes no sense
    BadStream,          // zlib refused the data (damaged, wrong Adler-32), or it does not fill its compressed size
    CannotCreate,       // an output file could not be created
    WriteFailed,        // an output file could not be written
};

// A short English description, for the tool and for tests.
const char* DescribeArchiveStatus(ArchiveStatus status);

// Reads the next entry's header (name length, name, size, compressed size),
// leaving the stream at the entry's last-write time (files) or at the next
// entry (folders). Ok with entry.nameLength == 0 at the end marker. Refuses
// names that would leave the destination folder.
ArchiveStatus ReadArchiveEntry(FILE* archive, ArchiveEntry& entry);

// True when a name stays below the destination folder on Windows and on
// Linux: not empty, no leading '\\' or '/', no ':' (drive letters, streams),
// and no level made only of dots and blanks with two or more dots, which
// Windows reads as "..", and no level naming a device (CON, NUL, COM1, ...,
// with any extension). Both '\\' and '/' separate levels; a 0x5C that is
// the second byte of a double-byte character does not.
bool IsSafeEntryName(const char* name);

// The dots of a path level made of dots and blanks only, else -1. Windows
// drops a level's trailing dots and blanks, so ". ." and "..." may name the
// parent folder just like "..".
int DotLevelDots(const char* begin, const char* end);
