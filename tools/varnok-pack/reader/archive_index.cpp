#include "tools/varnok-pack/reader/archive_index.h"

#include <strings.h>

#include <algorithm>
#include <cstring>
#include <set>

#include "archive/payload_locate.h"
#include "archive/stdio_file.h"
#include "shell/mbtext.h"
#include "tools/varnok-pack/commands/cli.h"
#include "tools/varnok-pack/host/host_files.h"
#include "tools/varnok-pack/reader/program_image.h"

namespace {

const char kCutShort[] = "cut short: the file ends inside an entry or before the end marker";

bool StartsWithMz(FILE* file) {
    char magic[2];
    return std::fread(magic, 1, 2, file) == 2 && magic[0] == 'M' && magic[1] == 'Z' && SeekFile(file, 0, SEEK_SET);
}

// The file as the system sees it, before it is read as an archive; false
// with what it is instead.
bool IsReadableFile(const char* path, std::string& error) {
    DiskItem item;
    if (!DescribePath(path, item, error))
        return false;
    if (item.kind == ItemKind::Folder)
        error = "a folder, not an installer or archive";
    else if (item.kind != ItemKind::File)
        error = "not a file";
    else if (item.size == 0)
        error = "an empty file";
    return error.empty();
}

std::string AtOffset(const char* name, int64_t offset) {
    std::string text = *name ? "entry '" + ShowName(name) + "' " : std::string();
    return text + "at offset " + std::to_string(offset);
}

bool Refuse(std::string& error, const char* name, int64_t offset, const char* why) {
    error = AtOffset(name, offset) + ": " + why;
    return false;
}

bool ReadEntries(FILE* file, int64_t end, std::vector<IndexedEntry>& entries, std::string& error) {
    const char* truncated = kCutShort;
    for (;;) {
        int64_t offset = TellFile(file);
        ArchiveEntry entry;
        ArchiveStatus status = ReadArchiveEntry(file, entry);
        if (status != ArchiveStatus::Ok)
            return Refuse(error, entry.name, offset,
                          status == ArchiveStatus::Truncated ? truncated : DescribeArchiveStatus(status));
        if (entry.nameLength == 0)
            return offset + 2 <= end || Refuse(error, "", offset, truncated);
        IndexedEntry indexed;
        indexed.name = entry.name;
        indexed.size = entry.size;
        indexed.compressedSize = entry.compressedSize;
        indexed.offset = offset;
        if (!entry.IsFolder()) {
            unsigned char time[8];
            if (std::fread(time, 1, sizeof time, file) != sizeof time)
                return Refuse(error, entry.name, offset, truncated);
            indexed.fileTime = LoadU64(time);
            indexed.dataOffset = TellFile(file);
            if (!SeekFile(file, entry.compressedSize, SEEK_CUR))
                return Refuse(error, entry.name, offset, truncated);
        }
        if (TellFile(file) > end)
            return Refuse(error, entry.name, offset, truncated);
        entries.push_back(std::move(indexed));
    }
}

// A name lower-cased and with '/' written as '\\' (Windows sees no
// difference), and where its folder part ends: after the last separator that
// is not the name's last character.
struct SplitName {
    std::string text;
    size_t folderEnd = 0;
    bool endsInSeparator = false;
};

SplitName Split(const std::string& name) {
    SplitName split{name};
    for (const char* p = name.c_str(); *p; p = MbsInc(p)) {
        size_t at = static_cast<size_t>(p - name.c_str());
        bool separator = *p == '\\' || *p == '/';
        if (separator) {
            split.text[at] = '\\';
            if (p[1] != '\0')
                split.folderEnd = at + 1;
        }
        split.endsInSeparator = separator;
    }
    MbsLwr(split.text.data());
    return split;
}

}  // namespace

std::string DescribeEntry(const IndexedEntry& entry) { return AtOffset(entry.name.c_str(), entry.offset); }

bool ReadArchiveIndex(const char* path, ArchiveIndex& index, std::string& error) {
    index = ArchiveIndex{};
    index.path = path;
    if (!IsReadableFile(path, error))
        return false;
    UniqueFile input(OpenPath(path, "rb"));
    if (!input) {
        error = std::string("cannot be opened: ") + std::strerror(errno);
        return false;
    }
    index.appended = StartsWithMz(input.get());
    int64_t imageEnd = index.appended ? ProgramImageEnd(input.get()) : -1;
    int64_t length = SeekFileEnd(input.get());
    if (!SeekFile(input.get(), 0, SEEK_SET)) {
        error = std::string("cannot be read: ") + std::strerror(errno);
        return false;
    }
    FILE* raw = input.release();
    OpenedArchive opened = index.appended ? OpenAppendedArchiveFile(raw) : OpenPlainArchiveFile(raw);
    UniqueFile file(opened.file);
    // An archive lies behind the program's own bytes; a trailer pointing
    // into them is a coincidence of the program's last bytes.
    bool insideProgram = opened.status == ArchiveStatus::Ok && TellFile(file.get()) < imageEnd;
    if (opened.status == ArchiveStatus::BadTrailer || insideProgram) {
        error = imageEnd < 0 || length <= imageEnd + 4
                    ? "no archive attached: the file is a program with nothing behind it"
                    : "cut short or damaged: its last 4 bytes do not point at an archive behind the program";
        return false;
    }
    if (opened.status != ArchiveStatus::Ok) {
        error = DescribeArchiveStatus(opened.status);
        return false;
    }
    index.start = TellFile(file.get());
    index.payloadLength = opened.payloadLength;
    index.signature = opened.signature;
    return ReadEntries(file.get(), index.start + index.payloadLength, index.entries, error);
}

bool CheckFolderOrder(const ArchiveIndex& index, std::string& error) {
    std::set<std::string> folders;
    for (const IndexedEntry& entry : index.entries) {
        SplitName split = Split(entry.name);
        std::string parent = split.text.substr(0, split.folderEnd);
        if (!parent.empty() && !folders.count(parent)) {
            error = DescribeEntry(entry) + ": its folder '" + ShowName(parent) + "' has no entry before it";
            return false;
        }
        if (entry.IsFolder())
            folders.insert(split.endsInSeparator ? split.text : split.text + '\\');
    }
    return true;
}

const char* MissingSetupFile(const ArchiveIndex& index) {
    for (const char* name : {"install.env", "insttscr.rct"}) {
        bool found = std::any_of(index.entries.begin(), index.entries.end(), [&](const IndexedEntry& e) {
            return !e.IsFolder() && strcasecmp(e.name.c_str(), name) == 0;
        });
        if (!found)
            return name;
    }
    return nullptr;
}
