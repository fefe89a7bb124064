#include "resfile/file_locator.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "archive/stdio_file.h"
#include "resfile/file_locator_lock.h"
#include "shell/mbtext.h"
#include "shell/messages.h"

namespace {

using PathBuffer = char[kPathSize];

int gDirectOpenAllowed = 0;
PathBuffer gPrefixFolder = "";
SearchContainer* gSearchContainers = nullptr;

// Ffopen : ファイル[%s]の読み込みで失敗しました
constexpr char kOpenFailedFormat[] =
    "Ffopen : \x83\x74\x83\x40\x83\x43\x83\x8b[%s]\x82\xcc\x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x82\xc5\x8e\xb8\x94\x73"
    "\x82\xb5\x82\xdc\x82\xb5\x82\xbd";

// Joins the parts into out. A path that would not fit is refused rather
// than cut, so that a cut path never names some other file.
bool ComposePath(PathBuffer& out, const char* a, const char* b = "", const char* c = "") {
    size_t la = std::strlen(a), lb = std::strlen(b), lc = std::strlen(c);
    if (la + lb + lc >= sizeof(PathBuffer))
        return false;
    std::memcpy(out, a, la);
    std::memcpy(out + la, b, lb);
    std::memcpy(out + la + lb, c, lc + 1);
    return true;
}

// File name and extension: the drive and every folder dropped.
const char* FinalComponent(const char* name) {
    const char* start = (name[0] != '\0' && name[1] == ':') ? name + 2 : name;
    for (const char* p = start; *p; p = MbsInc(p)) {
        if (*p == '\\' || *p == '/')
            start = p + 1;
    }
    return start;
}

bool IsAudioName(const char* name) {
    const char* ext = nullptr;
    for (const char* p = FinalComponent(name); *p; p = MbsInc(p)) {
        if (*p == '.')
            ext = p;
    }
    if (!ext || std::strlen(ext) != 4)
        return false;
    char lower[5];
    std::memcpy(lower, ext, sizeof lower);
    MbsLwr(lower);
    return !std::strcmp(lower, ".ogg") || !std::strcmp(lower, ".wav");
}

// What a lookup does with each candidate it reaches; true ends the lookup.
class Probe {
public:
    virtual ~Probe() = default;
    virtual bool TryPlain(const char* path) = 0;
    virtual bool TryFolderEntry(const char* path) = 0;
    virtual bool TryArchive(const char* archivePath, uint32_t offset) = 0;
};

bool TryPlainFolders(const char* name, Probe& probe) {
    PathBuffer path;
    if (gPrefixFolder[0] != '\0')
        return ComposePath(path, gPrefixFolder, name) && probe.TryPlain(path);
    if (gDirectOpenAllowed)
        return ComposePath(path, name) && probe.TryPlain(path);
    return false;
}

// Every table entry with the hash is tried, in table order.
bool TryFolderTable(const SearchContainer& c, const char* name, uint32_t hash, Probe& probe) {
    for (int32_t i = 0; i < c.folderCount; ++i) {
        PathBuffer path;
        if (c.folderTable[i].nameHash == hash && ComposePath(path, c.folderTable[i].folder, "\\", name) &&
            probe.TryFolderEntry(path))
            return true;
    }
    return false;
}

const ArchiveIndexRecord* FindIndexRecord(const SearchContainer& c, uint32_t hash) {
    if (c.archiveCount <= 0)
        return nullptr;
    const ArchiveIndexRecord* end = c.archiveIndex + c.archiveCount;
    const ArchiveIndexRecord* r = std::lower_bound(
        c.archiveIndex, end, hash, [](const ArchiveIndexRecord& rec, uint32_t h) { return rec.nameHash < h; });
    return (r != end && r->nameHash == hash) ? r : nullptr;
}

bool SearchContainersFor(const char* name, Probe& probe) {
    std::optional<uint32_t> hash;
    for (const SearchContainer* c = gSearchContainers; c; c = c->next) {
        if (c->kind != kFolderContainer && c->kind != kArchiveContainer)
            continue;
        if (!hash)
            hash = ResourceNameHash(name);
        if (c->kind == kFolderContainer && c->folderTable) {
            if (TryFolderTable(*c, name, *hash, probe))
                return true;
            continue;
        }
        if (!c->archiveIndex)
            continue;
        const ArchiveIndexRecord* r = FindIndexRecord(*c, *hash);
        if (r && probe.TryArchive(c->archivePath, r->offset))
            return true;
    }
    return false;
}

// Non-audio names: plain folders, then containers. Audio names: containers,
// then plain folders. A name with a folder part is never looked for in the
// containers, but is still tried as a plain path.
bool Lookup(const char* name, Probe& probe) {
    LocatorLockHold hold;
    bool audio = IsAudioName(name);
    if (!audio && TryPlainFolders(name, probe))
        return true;
    if (!MbsChr(name, '\\') && SearchContainersFor(name, probe))
        return true;
    return audio && TryPlainFolders(name, probe);
}

class OpenProbe : public Probe {
public:
    explicit OpenProbe(const char* mode) : mode_(mode) {}
    FILE* stream = nullptr;

    bool TryPlain(const char* path) override { return Open(path); }
    bool TryFolderEntry(const char* path) override { return Open(path); }
    bool TryArchive(const char* archivePath, uint32_t offset) override {
        if (!Open(archivePath))
            return false;
        if (SeekFile(stream, offset, SEEK_SET))
            return true;
        std::fclose(stream);
        stream = nullptr;
        return false;
    }

private:
    bool Open(const char* path) {
        stream = std::fopen(path, mode_);
        return stream != nullptr;
    }
    const char* mode_;
};

// Reports where the file would be found; only plain paths are opened (and
// closed at once), container matches are taken on trust.
class FindProbe : public Probe {
public:
    explicit FindProbe(PathBuffer& out) : out_(out) {}

    bool TryPlain(const char* path) override {
        FILE* f = std::fopen(path, "rb");
        if (!f)
            return false;
        std::fclose(f);
        return Report(path);
    }
    bool TryFolderEntry(const char* path) override { return Report(path); }
    bool TryArchive(const char* archivePath, uint32_t) override { return Report(archivePath); }

private:
    bool Report(const char* path) { return ComposePath(out_, path); }
    PathBuffer& out_;
};

}  // namespace

void SetDirectOpenAllowed(int allowed) { gDirectOpenAllowed = allowed; }

bool SetPrefixFolder(const char* prefix) { return ComposePath(gPrefixFolder, prefix); }

void SetSearchContainers(SearchContainer* head) { gSearchContainers = head; }

uint32_t ResourceNameHash(const char* name) {
    // ASCII letters only, stepping over Shift-JIS pairs whatever the code
    // page: a second byte is never a letter, and a double-byte character
    // (full-width letters too) hashes as it stands.
    std::string lower = FinalComponent(name);
    for (size_t i = 0; i < lower.size(); ++i) {
        auto b = static_cast<unsigned char>(lower[i]);
        if (IsLeadByte(b) && i + 1 < lower.size())
            ++i;
        else if (b >= 'A' && b <= 'Z')
            lower[i] = static_cast<char>(b + ('a' - 'A'));
    }
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(lower.data()), static_cast<uInt>(lower.size()));
    return static_cast<uint32_t>(crc);
}

FILE* LocateAndOpen(const char* name, const char* mode) {
    OpenProbe probe(mode);
    Lookup(name, probe);
    return probe.stream;
}

// The question is asked without the lock held.
FILE* OpenResourceFile(const char* name, const char* mode) {
    CreateLocatorLock();
    for (;;) {
        if (FILE* f = LocateAndOpen(name, mode))
            return f;
        AskToRetryResourceFile(name);
    }
}

void AskToRetryResourceFile(const char* name) { ShowRetryCancelError(kOpenFailedFormat, name); }

char* FindResourcePath(const char* name, char (&out)[kPathSize]) {
    FindProbe probe(out);
    if (Lookup(name, probe))
        return out;
    out[0] = '\0';
    return nullptr;
}

int ResourceFileExists(const char* name) {
    CreateLocatorLock();
    PathBuffer path;
    return FindResourcePath(name, path) ? 1 : 0;
}
