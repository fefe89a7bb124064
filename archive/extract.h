// The extraction walk, the same for the installer and the tools. The walk
// reads the archive and inflates; everything that touches the platform (file
// creation, folders, times, the progress window, message pumping) goes
// through an ExtractCallback.
#pragma once

#include <cstdint>
#include <cstdio>

#include "archive/payload_format.h"
#include "shell/alloc.h"

class ExtractCallback {
public:
    virtual ~ExtractCallback() = default;
    // A folder entry of the full pass; an existing folder is fine. False
    // when the folder is refused (a link met on the way), which fails the walk.
    virtual bool CreateFolder(const char* path) = 0;
    // Creates or replaces an output file for binary writing; nullptr when it can't.
    virtual FILE* CreateOutputFile(const char* path) = 0;
    // A file starts: its path and stored size (label and per-file bar).
    virtual void BeginFile(const char* path, int32_t size) = 0;
    // After every full ProgressUnit written, and once at a file's end when
    // output was left in the buffer: bytes written to this file, running count.
    virtual void Progress(int64_t written, int32_t count) = 0;
    // The file is complete and closed: apply its stored last-write FILETIME.
    virtual void SetFileTime(const char* path, uint64_t fileTime) = 0;
};

// Where and why a walk failed.
struct ExtractFailure {
    ArchiveStatus status = ArchiveStatus::Ok;
    char name[kPathSize] = {};  // the entry being read, empty before the first
    int64_t offset = 0;        // file offset of that entry's first byte
};

// Inflates file entries whose header has been read; the stream stands at
// the entry's last-write time. `count` is the running count before this
// file. Its two ProgressUnit buffers are made at the first file and kept
// for the next ones. Output that would pass `outputLimit` bytes is not
// written: the result is then SizeTooLarge (the installer's walk sets no
// limit; the tool stops at the stored size).
class EntryInflater {
public:
    ArchiveStatus Inflate(FILE* archive, int32_t size, uint32_t remaining, const char* path, ExtractCallback& callback,
                          int32_t count, int64_t outputLimit = INT64_MAX);

private:
    FreeOwner<unsigned char> in_;
    FreeOwner<unsigned char> out_;
};

// Walks the archive from its first entry (the stream's position) to the end
// marker, or in the setup pass to the first folder below the top level.
// Output paths are "destination\\name". Returns Ok at a normal end; on failure
// fills `failure` (when given) and returns its status. Closes nothing.
ArchiveStatus ExtractArchive(FILE* archive, const char* destination, ExtractMode mode, ExtractCallback& callback,
                             ExtractFailure* failure = nullptr);
// The same walk with the caller's inflater, whose buffers then serve walk
// after walk (many archives in one process).
ArchiveStatus ExtractArchive(FILE* archive, const char* destination, ExtractMode mode, ExtractCallback& callback,
                             EntryInflater& inflater, ExtractFailure* failure);

// True when the pattern occurs in the text at a character boundary, letters
// compared without regard to case (multibyte-aware, the process code page).
bool ContainsNoCase(const char* text, const char* pattern);
