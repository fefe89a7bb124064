#include "tools/varnok-pack/native_extract.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>

#include "archive/filetime.h"
#include "tools/varnok-pack/sjis.h"

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

void NativeExtractCallback::CreateFolder(const char* path) {
    if (auto linuxPath = LinuxPath(path))
        mkdir(linuxPath->c_str(), 0777);
}

FILE* NativeExtractCallback::CreateOutputFile(const char* path) {
    auto linuxPath = LinuxPath(path);
    return linuxPath ? std::fopen(linuxPath->c_str(), "wb") : nullptr;
}

void NativeExtractCallback::SetFileTime(const char* path, uint64_t fileTime) {
    auto linuxPath = LinuxPath(path);
    if (!linuxPath)
        return;
    UnixTime t = FileTimeToUnix(fileTime);
    struct timespec times[2] = {};
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(t.seconds);
    times[1].tv_nsec = t.nanoseconds;
    utimensat(AT_FDCWD, linuxPath->c_str(), times, 0);
}
