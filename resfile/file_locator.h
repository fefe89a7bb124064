// The file locator: turns a resource file name into an open file.
//
// A lookup tries, in order, the prefix folder (or, when there is none and
// direct opening is allowed, the name itself relative to the current folder)
// and then the search containers. Audio names (.ogg, .wav, any case) try the
// containers first and the plain folders last. Containers are searched only
// for bare names. Every path is composed in a 260-byte buffer; a path that
// would not fit is refused, never cut.
#pragma once

#include <cstdint>
#include <cstdio>

#include "shell/path_size.h"

// One entry of a folder container's table: files whose name hash matches
// may live in the folder.
struct FolderTableEntry {
    uint32_t nameHash;
    const char* folder;
};

// One record of an archive container's index, sorted by nameHash (unsigned).
struct ArchiveIndexRecord {
    uint32_t nameHash;
    uint32_t offset;  // where the file starts inside the archive
    uint32_t unused;
};
static_assert(sizeof(ArchiveIndexRecord) == 12, "index records are 12 bytes");

enum SearchContainerKind : int32_t { kFolderContainer = 0, kArchiveContainer = 1 };

// A search container; any kind other than the two above is passed over.
// A folder container without a table falls back to its archive index.
struct SearchContainer {
    const char* archivePath;
    int32_t kind;
    const FolderTableEntry* folderTable;
    int32_t folderCount;
    const ArchiveIndexRecord* archiveIndex;
    int32_t archiveCount;
    SearchContainer* next;
};

// 1 lets a name be opened unchanged (relative to the current folder).
void SetDirectOpenAllowed(int allowed);

// Text put in front of every plain-folder attempt, without a separator.
// Empty (the default) means none; a prefix of 260 bytes or more is refused
// (returns false, prefix unchanged).
bool SetPrefixFolder(const char* prefix);

// The containers searched, from head to tail; the caller keeps them alive.
void SetSearchContainers(SearchContainer* head);

// CRC-32 of the final path component ('\\' and '/' both separate),
// lower-cased multibyte-aware.
uint32_t ResourceNameHash(const char* name);

// Opens the name with the fopen mode; asks to retry until it opens, so it
// never returns null (Cancel ends the process with exit code -1). The first
// call creates the locator's lock.
FILE* OpenResourceFile(const char* name, const char* mode);

// The locator's question for a file that cannot be read: returns on Retry,
// Cancel ends the process with exit code -1.
void AskToRetryResourceFile(const char* name);

// One lookup: an open stream (positioned at the file's start inside an
// archive container) or null.
FILE* LocateAndOpen(const char* name, const char* mode);

// 1 when the name can be found, 0 otherwise. The first call creates the
// locator's lock.
int ResourceFileExists(const char* name);

// One lookup without keeping the file open: fills out with the path found
// and returns it, or empties out and returns null.
char* FindResourcePath(const char* name, char (&out)[kPathSize]);
