// Inflates the file entries of an archive on several threads, each entry
// into the file its output callback gives for the entry's walk path. Files
// whose size and compressed size are both within kWholeBufferLimit go
// through libdeflate's whole-buffer decoder;
// larger ones through the installer's own streaming loop, so memory stays
// bounded whatever the sizes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/extract.h"
#include "tools/varnok-pack/reader/archive_index.h"
#include "tools/varnok-pack/commands/progress_bar.h"

constexpr int32_t kWholeBufferLimit = 32 << 20;

// Where inflated files go: the walk's callback, and what a failed entry needs.
class InflateOutput : public ExtractCallback {
public:
    // Why the last CreateOutputFile on this thread gave no file.
    virtual std::string CreateError() const = 0;
    // Removes the file CreateOutputFile made for `path`, left incomplete.
    virtual void RemoveOutputFile(const char* path) = 0;
};

struct InflateJob {
    const IndexedEntry* entry;
    std::string walkPath;  // "DEST\\NAME", as the walk would join it
};

// Every job is checked to inflate to exactly its stored size with its
// compressed size used up; no more than the stored size is ever written,
// and a file whose entry fails is removed. On failure returns false with a
// message naming the earliest bad entry (in job order) and its offset; jobs
// after it may be left undone. `output` is called from several threads.
bool InflateEntries(const std::string& archivePath, const std::vector<InflateJob>& jobs, int threads,
                    InflateOutput& output, ProgressBar& progress, std::string& error,
                    int32_t wholeBufferLimit = kWholeBufferLimit);
