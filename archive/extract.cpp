#include "archive/extract.h"

#include <zlib.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "archive/stdio_file.h"
#include "shell/alloc.h"
#include "shell/mbtext.h"

namespace {

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

bool JoinPath(char (&out)[kPathSize], const char* destination, const char* name) {
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
    char t[kPathSize];
    char p[kPathSize];
    CopyText(t, sizeof t, text);
    CopyText(p, sizeof p, pattern);
    MbsLwr(t);
    MbsLwr(p);
    return MbsStr(t, p) != nullptr;
}

namespace {

// One file's zlib stream, from the archive into the output file: input read
// in pieces of at most ProgressUnit, output written and reported in whole
// units and once more for what is left at the stream's end.
class FileInflate {
public:
    FileInflate(FILE* archive, uint32_t remaining, int64_t shownCount, FILE* file, ExtractCallback& callback,
                unsigned char* in, unsigned char* out, int64_t outputLimit)
        : archive_(archive), remaining_(remaining), shownCount_(shownCount), file_(file), callback_(callback),
          in_(in), out_(out), limit_(outputLimit) {}

    ArchiveStatus Run() {
        if (!z_.Init())
            return ArchiveStatus::BadStream;
        z_->next_out = out_;
        z_->avail_out = ProgressUnit;
        for (;;) {
            if (z_->avail_in == 0 && remaining_ > 0 && !Feed())
                return ArchiveStatus::Truncated;
            int rc = inflate(z_.get(), Z_NO_FLUSH);
            if (rc == Z_STREAM_END)
                return Finish();
            if (rc != Z_OK)
                return ArchiveStatus::BadStream;
            if (z_->avail_out == 0) {
                if (ArchiveStatus status = Flush(ProgressUnit); status != ArchiveStatus::Ok)
                    return status;
            }
        }
    }

private:
    bool Feed() {
        uint32_t piece = remaining_ < static_cast<uint32_t>(ProgressUnit) ? remaining_ : ProgressUnit;
        remaining_ -= piece;
        shownCount_ += piece;
        if (!ReadExact(archive_, in_, piece))
            return false;
        z_->next_in = in_;
        z_->avail_in = piece;
        return true;
    }

    ArchiveStatus Flush(size_t n) {
        if (written_ + static_cast<int64_t>(n) > limit_)
            return ArchiveStatus::SizeTooLarge;
        if (!WriteAll(file_, out_, n))
            return ArchiveStatus::WriteFailed;
        written_ += static_cast<int64_t>(n);
        z_->next_out = out_;
        z_->avail_out = ProgressUnit;
        callback_.Progress(written_, static_cast<int32_t>(shownCount_));
        return ArchiveStatus::Ok;
    }

    ArchiveStatus Finish() {
        // A stream shorter than its compressed size would leave the walk
        // inside this entry's data.
        if (z_->avail_in != 0 || remaining_ != 0)
            return ArchiveStatus::BadStream;
        size_t left = ProgressUnit - z_->avail_out;
        if (left > 0) {
            if (ArchiveStatus status = Flush(left); status != ArchiveStatus::Ok)
                return status;
        }
        return z_.End() == Z_OK ? ArchiveStatus::Ok : ArchiveStatus::BadStream;
    }

    FILE* archive_;
    uint32_t remaining_;
    int64_t shownCount_;
    FILE* file_;
    ExtractCallback& callback_;
    unsigned char* in_;
    unsigned char* out_;
    InflateStream z_;
    int64_t limit_;
    int64_t written_ = 0;
};

}  // namespace

ArchiveStatus EntryInflater::Inflate(FILE* archive, int32_t size, uint32_t remaining, const char* path,
                                     ExtractCallback& callback, int32_t count, int64_t outputLimit) {
    if (!in_) {
        in_.reset(static_cast<unsigned char*>(AllocOrReport(ProgressUnit)));
        out_.reset(static_cast<unsigned char*>(AllocOrReport(ProgressUnit)));
    }
    unsigned char timeField[8];
    if (!ReadExact(archive, timeField, sizeof timeField))
        return ArchiveStatus::Truncated;
    UniqueFile file(callback.CreateOutputFile(path));
    if (!file)
        return ArchiveStatus::CannotCreate;
    callback.BeginFile(path, size);
    FileInflate inflater(archive, remaining, static_cast<int64_t>(count) + 8, file.get(), callback, in_.get(),
                         out_.get(), outputLimit);
    ArchiveStatus status = inflater.Run();
    if (status != ArchiveStatus::Ok)
        return status;
    if (std::fclose(file.release()) != 0)
        return ArchiveStatus::WriteFailed;
    callback.SetFileTime(path, LoadU64(timeField));
    return ArchiveStatus::Ok;
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
    EntryInflater inflater;
    return ExtractArchive(archive, destination, mode, callback, inflater, failure);
}

ArchiveStatus ExtractArchive(FILE* archive, const char* destination, ExtractMode mode, ExtractCallback& callback,
                             EntryInflater& inflater, ExtractFailure* failure) {
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

        char path[kPathSize];
        if (!JoinPath(path, destination, entry.name))
            return Fail(failure, ArchiveStatus::PathTooLong, entry, offset);
        if (entry.IsFolder()) {
            if (!callback.CreateFolder(path))
                return Fail(failure, ArchiveStatus::CannotCreate, entry, offset);
            continue;
        }
        status = inflater.Inflate(archive, entry.size, entry.compressedSize, path, callback, static_cast<int32_t>(count));
        if (status != ArchiveStatus::Ok)
            return Fail(failure, status, entry, offset);
        count += entry.compressedSize;
    }
}
