#include "tools/varnok-pack/reader/archive_index.h"

#include <cstring>
#include <set>

#include "archive/payload_locate.h"
#include "archive/stdio_file.h"
#include "shell/mbtext.h"
#include "tools/varnok-pack/commands/cli.h"
#include "tools/varnok-pack/host/host_files.h"

namespace {

bool StartsWithMz(const char* path) {
    UniqueFile file(OpenPath(path, "rb"));
    char magic[2];
    return file && std::fread(magic, 1, 2, file.get()) == 2 && magic[0] == 'M' && magic[1] == 'Z';
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
    const char* truncated = DescribeArchiveStatus(ArchiveStatus::Truncated);
    for (;;) {
        int64_t offset = TellFile(file);
        ArchiveEntry entry;
        ArchiveStatus status = ReadArchiveEntry(file, entry);
        if (status != ArchiveStatus::Ok)
            return Refuse(error, entry.name, offset, DescribeArchiveStatus(status));
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
    index.appended = StartsWithMz(path);
    FILE* input = OpenPath(path, "rb");
    OpenedArchive opened = index.appended ? OpenAppendedArchiveFile(input) : OpenPlainArchiveFile(input);
    UniqueFile file(opened.file);
    if (opened.status != ArchiveStatus::Ok) {
        error = DescribeArchiveStatus(opened.status);
        if (opened.status == ArchiveStatus::CannotOpen)
            error += std::string(" (") + std::strerror(errno) + ")";
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
