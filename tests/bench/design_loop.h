// The installer's design as a plain loop, the yardstick of the extraction
// benchmarks: per file two 128 KiB buffers, zlib inflate, fwrite, the stored
// file time; folders and files through an ExtractCallback. Shared by the
// native benchmark and the one run under Wine.
#pragma once

#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "archive/extract.h"
#include "archive/payload_format.h"
#include "archive/stdio_file.h"

namespace design_loop {

// One file as the installer's loop does it, nothing more.
inline bool InflatePlain(FILE* archive, uint32_t remaining, FILE* out) {
    auto* in = static_cast<unsigned char*>(std::malloc(ProgressUnit));
    auto* buffer = static_cast<unsigned char*>(std::malloc(ProgressUnit));
    z_stream z{};
    bool ok = inflateInit(&z) == Z_OK;
    z.next_out = buffer;
    z.avail_out = ProgressUnit;
    for (int rc = Z_OK; ok && rc != Z_STREAM_END;) {
        if (z.avail_in == 0 && remaining > 0) {
            uint32_t piece = std::min<uint32_t>(remaining, ProgressUnit);
            remaining -= piece;
            z.avail_in = static_cast<uInt>(std::fread(in, 1, piece, archive));
            z.next_in = in;
        }
        rc = inflate(&z, Z_NO_FLUSH);
        ok = rc == Z_OK || rc == Z_STREAM_END;
        size_t full = ProgressUnit - z.avail_out;
        if (ok && (z.avail_out == 0 || rc == Z_STREAM_END) && full > 0) {
            ok = std::fwrite(buffer, 1, full, out) == full;
            z.next_out = buffer;
            z.avail_out = ProgressUnit;
        }
    }
    inflateEnd(&z);
    std::free(in);
    std::free(buffer);
    return ok;
}

}  // namespace design_loop

// Walks the archive from its current position to its end mark; false on
// any read, inflate or write failure.
inline bool WalkPlain(FILE* archive, const std::string& dest, ExtractCallback& files) {
    using namespace design_loop;
    for (;;) {
        unsigned char field[8];
        char name[kPathSize];
        if (!ReadExact(archive, field, 2))
            return false;
        uint16_t length = LoadU16(field);
        if (length == 0)
            return true;
        if (length > kPathSize || !ReadExact(archive, name, length) || !ReadExact(archive, field, 8))
            return false;
        std::string walkPath = dest + "\\" + name;
        if (static_cast<int32_t>(LoadU32(field)) == kFolderSize) {
            if (!files.CreateFolder(walkPath.c_str()))
                return false;
            continue;
        }
        uint32_t compressed = LoadU32(field + 4);
        if (!ReadExact(archive, field, 8))
            return false;
        UniqueFile out(files.CreateOutputFile(walkPath.c_str()));
        if (!out || !InflatePlain(archive, compressed, out.get()))
            return false;
        out.reset();
        files.SetFileTime(walkPath.c_str(), LoadU64(field));
    }
}
