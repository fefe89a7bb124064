#include "tools/varnok-pack/reader/native_extract.h"

#include <cstring>

#include "tools/varnok-pack/host/files_below.h"
#include "tools/varnok-pack/host/sjis.h"

namespace {

// The threads share one callback; each keeps the reason of its own last failure.
thread_local std::string createError;

}  // namespace

std::optional<std::string> NativeExtractCallback::RelativePath(const char* walkPath) const {
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
    return name;
}

bool NativeExtractCallback::CreateFolder(const char* path) {
    std::string ignored;
    if (auto relative = RelativePath(path))
        MakeFoldersBelow(destination_, *relative, ignored);
    return true;
}

FILE* NativeExtractCallback::CreateOutputFile(const char* path) {
    auto relative = RelativePath(path);
    createError = relative ? "" : "the name has no UTF-8 form";
    return relative ? CreateFileBelow(destination_, *relative, createError) : nullptr;
}

std::string NativeExtractCallback::CreateError() const { return createError; }

void NativeExtractCallback::SetFileTime(const char* path, uint64_t fileTime) {
    if (auto relative = RelativePath(path))
        SetLastWriteTimeBelow(destination_, *relative, fileTime);
}

void NativeExtractCallback::RemoveOutputFile(const char* path) {
    if (auto relative = RelativePath(path))
        RemoveFileBelow(destination_, *relative);
}
