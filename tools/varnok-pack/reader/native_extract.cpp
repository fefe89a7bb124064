#include "tools/varnok-pack/reader/native_extract.h"

#include <cstring>

#include "tools/varnok-pack/host/host_files.h"
#include "tools/varnok-pack/host/sjis.h"

std::optional<std::string> NativeExtractCallback::LinuxPath(const char* walkPath) const {
    size_t n = destination_.size();
    if (std::strncmp(walkPath, destination_.c_str(), n) != 0 || walkPath[n] != '\\')
        return std::nullopt;
    // Converted first: in Shift-JIS a 0x5C may be the second byte of a
    // character, in UTF-8 it is always a backslash.
    std::optional<std::string> name = SjisToUtf8(walkPath + n + 1);
    if (!name)
        return std::nullopt;
    for (char& c : *name) {
        if (c == '\\')
            c = '/';
    }
    return destination_ + '/' + *name;
}

bool NativeExtractCallback::CreateFolder(const char* path) {
    std::string ignored;
    if (auto linuxPath = LinuxPath(path))
        MakeFolder(*linuxPath, ignored);
    return true;
}

FILE* NativeExtractCallback::CreateOutputFile(const char* path) {
    auto linuxPath = LinuxPath(path);
    return linuxPath ? OpenPath(*linuxPath, "wb") : nullptr;
}

void NativeExtractCallback::SetFileTime(const char* path, uint64_t fileTime) {
    if (auto linuxPath = LinuxPath(path))
        SetLastWriteTime(*linuxPath, fileTime);
}
