#include "resfile/rct_picture.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "archive/stdio_file.h"
#include "shell/alloc.h"
#include "shell/little_endian.h"
#include "shell/mbtext.h"

RctPictureRecord LastPictureRecord = {};

namespace {

using StreamOwner = FreeOwner<unsigned char>;

// Bytes from the file's position to its end; -1 when that can't be told
// (then the file is taken as short rather than trusting its data size).
// 64-bit positions: a file past 2 GiB is still measured in a 32-bit build.
int64_t RemainingBytes(FILE* f) {
    int64_t here = TellFile(f);
    if (here < 0)
        return -1;
    int64_t end = SeekFileEnd(f);
    if (end < here || !SeekFile(f, here, SEEK_SET))
        return -1;
    return end - here;
}

// Keeps the embedded name's first bytes and steps over the rest, so that
// the stream is read from the right place whatever the name's length.
bool ReadName(FILE* f, RctPictureRecord& record) {
    unsigned char length[2];
    if (!ReadExact(f, length, 2))
        return false;
    record.nameLength = LoadU16(length);
    size_t kept = record.nameLength < kRctKeptNameSize ? record.nameLength : kRctKeptNameSize;
    char first[kRctKeptNameSize + 1];
    if (!ReadExact(f, first, kept))
        return false;
    first[kept] = '\0';
    CopyText(record.name, sizeof record.name, first);
    return SeekFile(f, static_cast<int64_t>(record.nameLength - kept), SEEK_CUR);
}

// One pass over the file: header, name and the whole stream in one read.
RctLoadStatus ReadFile(FILE* f, const char* name, RctHeader& header, StreamOwner& stream) {
    unsigned char bytes[kRctHeaderSize];
    if (!ReadExact(f, bytes, sizeof bytes))
        return RctLoadStatus::ShortFile;
    if (!ParseRctHeader(bytes, header))
        return RctLoadStatus::BadMagic;
    RctPictureRecord& record = LastPictureRecord;
    std::memcpy(record.header, bytes, sizeof bytes);
    CopyText(record.fileName, sizeof record.fileName, name);
    record.nameLength = 0;
    record.name[0] = '\0';
    if (RctHasName(header.variant) && !ReadName(f, record))
        return RctLoadStatus::ShortFile;
    if (RctPictureBytes(header.width, header.height) == 0)
        return RctLoadStatus::BadSize;
    // A data size beyond the file's end is a short file, never a request
    // for that much memory.
    int64_t remaining = RemainingBytes(f);
    if (remaining < 0 || static_cast<int64_t>(header.dataSize) > remaining)
        return RctLoadStatus::ShortFile;
    stream.reset(static_cast<unsigned char*>(AllocOrReport(header.dataSize)));
    if (!ReadExact(f, stream.get(), header.dataSize))
        return RctLoadStatus::ShortFile;
    return RctLoadStatus::Ok;
}

RctLoadStatus Decode(const RctHeader& header, unsigned char* stream, RctLoadCallback& callback) {
    size_t size = header.dataSize;
    RctLoadStatus status = RctLoadStatus::Ok;
    if (RctIsKeyed(header.variant)) {
        ApplyRctKey(stream, size);
        if (HasRctTrailer(stream, size))
            size -= kRctTrailerSize;
        else
            status = RctLoadStatus::TrailerMismatch;
    }
    // A header may declare gigabytes over a stream of a few bytes: ask for
    // no picture memory that the stream cannot fill.
    if (status == RctLoadStatus::Ok && RctPictureBytes(header.width, header.height) > RctMostDecodedBytes(size))
        return RctLoadStatus::BadSize;
    int32_t stride = 0;
    unsigned char* pixels = callback.CreatePixels(header.width, header.height, stride);
    if (!pixels)
        return RctLoadStatus::NoPixels;
    if (status == RctLoadStatus::Ok && DecompressRct(stream, size, pixels, header.width, header.height) < 0)
        status = RctLoadStatus::BadStream;
    if (status == RctLoadStatus::Ok)
        SpreadRctRows(pixels, header.width, header.height, stride);
    else
        std::memset(pixels, 0, static_cast<size_t>(stride) * static_cast<size_t>(header.height));
    return status;
}

}  // namespace

const char* DescribeRctLoadStatus(RctLoadStatus status) {
    switch (status) {
    case RctLoadStatus::Ok: return "ok";
    case RctLoadStatus::CannotOpen: return "the file cannot be opened";
    case RctLoadStatus::ShortFile: return "the file is shorter than its header or data size";
    case RctLoadStatus::BadMagic: return "not an RCT picture (unknown magic)";
    case RctLoadStatus::BadSize: return "width or height is 0 or less, or too large for the data";
    case RctLoadStatus::NoPixels: return "no memory for the picture";
    case RctLoadStatus::TrailerMismatch: return "the \"TS\" trailer is missing";
    case RctLoadStatus::BadStream: return "the pixel stream is damaged";
    }
    return "unknown";
}

// A short file is read again a few times (it may still be being written),
// then the callback decides whether to go on.
RctLoadStatus LoadRct(const char* name, RctLoadCallback& callback) {
    RctHeader header;
    StreamOwner stream;
    for (int attempt = 1;; ++attempt) {
        UniqueFile file(callback.OpenFile(name));
        if (!file)
            return RctLoadStatus::CannotOpen;
        RctLoadStatus status = ReadFile(file.get(), name, header, stream);
        if (status == RctLoadStatus::Ok)
            break;
        if (status != RctLoadStatus::ShortFile)
            return status;
        stream.reset();
        if (attempt % kRctReadAttempts == 0 && !callback.RetryShortFile(name))
            return RctLoadStatus::ShortFile;
    }
    return Decode(header, stream.get(), callback);
}
