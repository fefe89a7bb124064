#include "archive/extract.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "archive/stdio_file.h"
#include "shell/alloc.h"
#include "shell/mbtext.h"

namespace {

struct FreeDeleter {
    void operator()(unsigned char* p) const { std::free(p); }
};
using Buffer = std::unique_ptr<unsigned char, FreeDeleter>;

Buffer AllocUnit() { return Buffer(static_cast<unsigned char*>(AllocOrReport(ProgressUnit))); }

// One inflate stream with the zlib wrapper and the default window; ended
// exactly once, whichever way the file ends.
class InflateStream {
public:
    InflateStream() = default;
    InflateStream(const InflateStream&) = delete;
    InflateStream& operator=(const InflateStream&) = delete;
    ~InflateStream() {
        if (live_)
            inflateEnd(&stream_);
    }
    bool Init() {
        live_ = inflateInit(&stream_) == Z_OK;
        return live_;
    }
    int End() {
        live_ = false;
        return inflateEnd(&stream_);
    }
    z_stream* operator->() { return &stream_; }
    z_stream* get() { return &stream_; }

private:
    z_stream stream_{};
    bool live_ = false;
};

bool WriteAll(FILE* file, const unsigned char* data, size_t n) { return std::fwrite(data, 1, n, file) == n; }

// Setup pass: a folder entry with nothing after its first backslash is a
// top-level folder. A folder name without any backslash counts as one too.
bool IsTopLevelFolder(const char* name) {
    const char* slash = MbsChr(name, '\\');
    return !slash || slash[1] == '\0';
}

bool HasFolderPart(const char* name) { return MbsChr(name, '\\') || MbsChr(name, '/'); }

// The files the installer needs before its menu can appear. The setup pass
// makes no folders, so a match below a folder is passed over like any other
// file instead of failing to be created.
bool IsSetupFile(const char* name) {
    if (HasFolderPart(name))
        return false;
    return ContainsNoCase(name, "insttscr.rct") || ContainsNoCase(name, "install.env") || ContainsNoCase(name, ".txt");
}

bool JoinPath(char (&out)[kMaxPath], const char* destination, const char* name) {
    size_t a = std::strlen(destination);
    size_t b = std::strlen(name);
    if (a + 1 + b + 1 > sizeof out)
        return false;
    std::memcpy(out, destination, a);
    out[a] = '\\';
    std::memcpy(out + a + 1, name, b + 1);
    return true;
}

}  // namespace

bool ContainsNoCase(const char* text, const char* pattern) {
    char t[kMaxPath];
    char p[kMaxPath];
    CopyText(t, sizeof t, text);
    CopyText(p, sizeof p, pattern);
    MbsLwr(t);
    MbsLwr(p);
    return MbsStr(t, p) != nullptr;
}

ArchiveStatus InflateEntryToFile(FILE* archive, int32_t size, uint32_t remaining, const char* path,
                                 ExtractCallback& callback, int32_t count) {
    Buffer in = AllocUnit();
    Buffer out = AllocUnit();
    unsigned char timeField[8];
    if (std::fread(timeField, 1, sizeof timeField, archive) != sizeof timeField)
        return ArchiveStatus::Truncated;
    int64_t shownCount = static_cast<int64_t>(count) + 8;

    UniqueFile file(callback.CreateOutputFile(path));
    if (!file)
        return ArchiveStatus::CannotCreate;
    callback.BeginFile(path, size);

    InflateStream z;
    if (!z.Init())
        return ArchiveStatus::BadStream;
    z->next_out = out.get();
    z->avail_out = ProgressUnit;
    int64_t written = 0;
    for (;;) {
        if (z->avail_in == 0 && remaining > 0) {
            uint32_t piece = remaining < static_cast<uint32_t>(ProgressUnit) ? remaining : ProgressUnit;
            remaining -= piece;
            shownCount += piece;
            if (std::fread(in.get(), 1, piece, archive) != piece)
                return ArchiveStatus::Truncated;
            z->next_in = in.get();
            z->avail_in = piece;
        }
        int rc = inflate(z.get(), Z_NO_FLUSH);
        if (rc == Z_STREAM_END) {
            // A stream shorter than its compressed size would leave the walk
            // inside this entry's data.
            if (z->avail_in != 0 || remaining != 0)
                return ArchiveStatus::BadStream;
            size_t left = ProgressUnit - z->avail_out;
            if (left > 0) {
                if (!WriteAll(file.get(), out.get(), left))
                    return ArchiveStatus::WriteFailed;
                written += static_cast<int64_t>(left);
                callback.Progress(written, static_cast<int32_t>(shownCount));
            }
            if (z.End() != Z_OK)
                return ArchiveStatus::BadStream;
            if (std::fclose(file.release()) != 0)
                return ArchiveStatus::WriteFailed;
            callback.SetFileTime(path, LoadU64(timeField));
            return ArchiveStatus::Ok;
        }
        if (rc != Z_OK)
            return ArchiveStatus::BadStream;
        if (z->avail_out == 0) {
            if (!WriteAll(file.get(), out.get(), ProgressUnit))
                return ArchiveStatus::WriteFailed;
            written += ProgressUnit;
            z->next_out = out.get();
            z->avail_out = ProgressUnit;
            callback.Progress(written, static_cast<int32_t>(shownCount));
        }
    }
}

namespace {

// Passes over an entry's last-write time and data without reading them.
bool SkipFileData(FILE* archive, const ArchiveEntry& entry) {
    return SeekFile(archive, 8 + static_cast<int64_t>(entry.compressedSize), SEEK_CUR);
}

ArchiveStatus Fail(ExtractFailure* failure, ArchiveStatus status, const ArchiveEntry& entry, int64_t offset) {
    if (failure) {
        failure->status = status;
        std::memcpy(failure->name, entry.name, sizeof failure->name);
        failure->name[sizeof failure->name - 1] = '\0';
        failure->offset = offset;
    }
    return status;
}

}  // namespace

ArchiveStatus ExtractArchive(FILE* archive, const char* destination, ExtractMode mode, ExtractCallback& callback,
                             ExtractFailure* failure) {
    const bool setup = mode == ExtractModeSetup;
    int64_t count = 0;
    ArchiveEntry entry;
    for (;;) {
        int64_t offset = TellFile(archive);
        ArchiveStatus status = ReadArchiveEntry(archive, entry);
        if (status != ArchiveStatus::Ok)
            return Fail(failure, status, entry, offset);
        if (entry.nameLength == 0)
            return ArchiveStatus::Ok;
        count += entry.nameLength + 10;

        if (setup && entry.IsFolder()) {
            if (!IsTopLevelFolder(entry.name))
                return ArchiveStatus::Ok;
            continue;
        }
        if (setup && !IsSetupFile(entry.name)) {
            if (!SkipFileData(archive, entry))
                return Fail(failure, ArchiveStatus::Truncated, entry, offset);
            continue;
        }

        char path[kMaxPath];
        if (!JoinPath(path, destination, entry.name))
            return Fail(failure, ArchiveStatus::PathTooLong, entry, offset);
        if (entry.IsFolder()) {
            callback.CreateFolder(path);
            continue;
        }
        status = InflateEntryToFile(archive, entry.size, entry.compressedSize, path, callback,
                                    static_cast<int32_t>(count));
        if (status != ArchiveStatus::Ok)
            return Fail(failure, status, entry, offset);
        count += entry.compressedSize;
    }
}
