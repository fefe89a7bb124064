#include "archive/payload_writer.h"

#include <zlib.h>

#include <cstring>

#include "archive/stdio_file.h"

namespace {

// End marker plus the two zero bytes a writer puts after it.
constexpr int64_t kEndBytes = 4;
constexpr int64_t kTrailerBytes = 4;
// An installer's length is a multiple of this, so that a signer appends its
// certificate table right after the trailer, with no padding of its own.
constexpr int64_t kInstallerAlignment = 8;

}  // namespace

bool PayloadWriter::Refuse(ArchiveStatus status) {
    error_ = status;
    return false;
}

bool PayloadWriter::Put(const void* data, size_t n) {
    if (std::fwrite(data, 1, n, out_) != n)
        return Refuse(ArchiveStatus::WriteFailed);
    written_ += static_cast<int64_t>(n);
    return true;
}

// Whether `moreBytes` still leave room for the end of the archive (and the
// trailer of an installer) below 2 GiB.
bool PayloadWriter::Fits(int64_t moreBytes) {
    int64_t end = start_ + written_ + moreBytes + kEndBytes;
    if (start_ > 0)
        end = (end + kTrailerBytes + kInstallerAlignment - 1) / kInstallerAlignment * kInstallerAlignment;
    return end <= INT32_MAX || Refuse(ArchiveStatus::SizeTooLarge);
}

bool PayloadWriter::WriteHeader(std::string_view name, int32_t size, uint32_t compressedSize, uint64_t fileTime,
                                bool folder) {
    if (name.empty() || name.find('\0') != std::string_view::npos)
        return Refuse(ArchiveStatus::NameNotTerminated);
    if (name.size() + 1 > kPathSize)
        return Refuse(ArchiveStatus::NameTooLong);
    std::string terminated(name);
    if (!IsSafeEntryName(terminated.c_str()))
        return Refuse(ArchiveStatus::UnsafeName);
    if (!folder && (size < 0 || compressedSize > INT32_MAX))
        return Refuse(ArchiveStatus::SizeTooLarge);

    unsigned char header[2 + kPathSize + 16];
    size_t n = name.size() + 1;
    StoreU16(header, static_cast<uint16_t>(n));
    std::memcpy(header + 2, terminated.c_str(), n);
    unsigned char* p = header + 2 + n;
    StoreU32(p, static_cast<uint32_t>(folder ? kFolderSize : size));
    StoreU32(p + 4, compressedSize);
    size_t length = 2 + n + 8;
    if (!folder) {
        StoreU64(p + 8, fileTime);
        length += 8;
    }
    return Fits(static_cast<int64_t>(length) + (folder ? 0 : compressedSize)) && Put(header, length);
}

bool PayloadWriter::AddFolder(std::string_view name) { return WriteHeader(name, kFolderSize, 0, 0, true); }

bool PayloadWriter::AddFile(std::string_view name, int32_t size, uint64_t fileTime, std::string_view zlibStream) {
    if (zlibStream.size() > INT32_MAX)
        return Refuse(ArchiveStatus::SizeTooLarge);
    return WriteHeader(name, size, static_cast<uint32_t>(zlibStream.size()), fileTime, false) &&
           Put(zlibStream.data(), zlibStream.size());
}

bool PayloadWriter::BeginFile(std::string_view name, int32_t size, uint64_t fileTime) {
    if (!WriteHeader(name, size, 0, fileTime, false))
        return false;
    sizeFieldAt_ = TellFile(out_) - 12;
    streamBytes_ = 0;
    return sizeFieldAt_ >= 0 || Refuse(ArchiveStatus::WriteFailed);
}

bool PayloadWriter::AppendFileData(std::string_view piece) {
    int64_t n = static_cast<int64_t>(piece.size());
    if (streamBytes_ + n > INT32_MAX)
        return Refuse(ArchiveStatus::SizeTooLarge);
    if (!Fits(n) || !Put(piece.data(), piece.size()))
        return false;
    streamBytes_ += n;
    return true;
}

bool PayloadWriter::EndFile() {
    unsigned char field[4];
    StoreU32(field, static_cast<uint32_t>(streamBytes_));
    int64_t end = TellFile(out_);
    bool ok = end >= 0 && SeekFile(out_, sizeFieldAt_, SEEK_SET) && std::fwrite(field, 1, 4, out_) == 4 &&
              SeekFile(out_, end, SEEK_SET);
    sizeFieldAt_ = -1;
    return ok || Refuse(ArchiveStatus::WriteFailed);
}

bool PayloadWriter::Finish() {
    int64_t padding = 0;
    if (start_ > 0) {
        int64_t unpadded = start_ + written_ + kEndBytes + kTrailerBytes;
        padding = (kInstallerAlignment - unpadded % kInstallerAlignment) % kInstallerAlignment;
    }
    const unsigned char end[kEndBytes + kInstallerAlignment] = {};
    return Put(end, static_cast<size_t>(kEndBytes + padding));
}

std::string CompressZlib(std::string_view data, int level) {
    uLongf bound = compressBound(static_cast<uLong>(data.size()));
    std::string out(bound, '\0');
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &bound, reinterpret_cast<const Bytef*>(data.data()),
                  static_cast<uLong>(data.size()), level) != Z_OK)
        return {};
    out.resize(bound);
    return out;
}
