// Extraction on the publisher's machine through the walk paths the installer
// uses: "DEST\\NAME" becomes NAME converted from Shift-JIS to UTF-8 with '/'
// between levels, written below DEST without following links, and the
// stored FILETIME becomes the file's last-write time.
#pragma once

#include <optional>
#include <string>

#include "tools/varnok-pack/reader/parallel_inflate.h"

class NativeExtractCallback : public InflateOutput {
public:
    // `destination` is the folder that the walk was given as its destination.
    explicit NativeExtractCallback(std::string destination) : destination_(std::move(destination)) {}

    // Like the installer, the result is not looked at: a missing folder shows
    // when its first file cannot be created.
    bool CreateFolder(const char* path) override;
    FILE* CreateOutputFile(const char* path) override;
    void BeginFile(const char*, int32_t) override {}
    void Progress(int64_t, int32_t) override {}
    // Sets the modification time; the access time stays as it is.
    void SetFileTime(const char* path, uint64_t fileTime) override;
    std::string CreateError() const override;
    void RemoveOutputFile(const char* path) override;

    // The path below the destination for a walk path ('/' between levels);
    // nothing when it does not start with the destination and a backslash,
    // or the name has no UTF-8 form.
    std::optional<std::string> RelativePath(const char* walkPath) const;
    const std::string& destination() const { return destination_; }

private:
    std::string destination_;
};
