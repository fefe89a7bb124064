// The tool's view of an archive: every entry's header and where its data
// lies, read once by seeking over the streams, so that list, verify and
// extract can work on entries in any order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct IndexedEntry {
    std::string name;  // Shift-JIS as stored, without the NUL
    int32_t size = 0;  // -1 for a folder
    uint32_t compressedSize = 0;
    uint64_t fileTime = 0;   // files only
    int64_t offset = 0;      // file offset of the entry's first byte
    int64_t dataOffset = 0;  // file offset of its zlib stream (files only)
    bool IsFolder() const { return size == -1; }
};

struct ArchiveIndex {
    std::string path;
    bool appended = false;    // found through the trailer of a program file
    bool signature = false;   // the program file ends in a signer's certificate table
    int64_t start = 0;        // file offset of the first entry
    int64_t payloadLength = 0;
    std::vector<IndexedEntry> entries;  // in archive order, end marker excluded
};

// Opens an installer (a program file starting with "MZ") or a plain archive
// and reads its entry headers. Checks the structure the installer relies on
// for reading: fields complete and inside the archive, names safe, sizes
// below 2 GiB, an end marker. False with a message naming the entry and its
// offset.
bool ReadArchiveIndex(const char* path, ArchiveIndex& index, std::string& error);

// The installer makes one folder level per folder entry, in list order, so
// every entry's parent folder must have an entry before it. False with a
// message naming the first entry that breaks the rule.
bool CheckFolderOrder(const ArchiveIndex& index, std::string& error);

// The first of install.env and insttscr.rct that the archive lacks at its
// top level (the installer cannot start without them), or nullptr.
const char* MissingSetupFile(const ArchiveIndex& index);

// "entry 'NAME' at offset N" for messages.
std::string DescribeEntry(const IndexedEntry& entry);
