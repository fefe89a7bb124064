// The installer's two passes over its own archive: the setup pass into the
// WorkFolder at start-up and the full pass into the install folder behind
// the copy progress window.
#pragma once

#include "archive/extract.h"
#include "archive/payload_locate.h"
#include "shell/no_follow.h"

// The running program's archive: instdat.arc beside the program file wins
// over the archive appended to it. Found through the module path, so a
// renamed installer still works.
OpenedArchive OpenPayloadArchive();

// The platform side of the walk: folders and files through the file API,
// stored times with SetFileTime, the copy window's label and bars, and
// message pumping after every ProgressUnit. Nothing is created or written
// through a link (reparse point) at or below the destination: such an
// entry fails the walk.
class WindowExtractCallback : public ExtractCallback {
public:
    explicit WindowExtractCallback(const char* destination) : folders_(destination) {}
    bool CreateFolder(const char* path) override;
    FILE* CreateOutputFile(const char* path) override;
    void BeginFile(const char* path, int32_t size) override;
    void Progress(int64_t written, int32_t count) override;
    void SetFileTime(const char* path, uint64_t fileTime) override;

private:
    HeldFolders folders_;
};

// One pass over an opened archive, behind the copy window in the full pass.
// Closes the window (not the archive) and returns the walk's status.
ArchiveStatus RunExtractionPass(const OpenedArchive& archive, const char* destination, ExtractMode mode,
                                ExtractCallback& callback);

// Runs one pass over the program's archive. Returns only when it succeeded:
// on any failure it reports the read failure, removes the WorkFolder and
// ends the process with exit code -1.
void ExtractPayload(const char* destination, ExtractMode mode);
