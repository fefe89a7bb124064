// Extraction on Linux through the same walk the installer uses: the walk's
// paths "DEST\\NAME" become "DEST/NAME" with NAME converted from Shift-JIS
// to UTF-8 and '\\' to '/', and the stored FILETIME becomes the file's mtime.
#pragma once

#include <optional>
#include <string>

#include "archive/extract.h"

class NativeExtractCallback : public ExtractCallback {
public:
    // `destination` is the Linux folder that the walk was given as its destination.
    explicit NativeExtractCallback(std::string destination) : destination_(std::move(destination)) {}

    // Like the installer, the result is not looked at: a missing folder shows
    // when its first file cannot be created.
    bool CreateFolder(const char* path) override;
    FILE* CreateOutputFile(const char* path) override;
    void BeginFile(const char*, int32_t) override {}
    void Progress(int64_t, int32_t) override {}
    // Sets the modification time; the access time stays as it is.
    void SetFileTime(const char* path, uint64_t fileTime) override;

    // The Linux path for a walk path; nothing when it does not start with
    // the destination and a backslash, or the name has no UTF-8 form.
    std::optional<std::string> LinuxPath(const char* walkPath) const;

private:
    std::string destination_;
};
