// The extraction walk over an archive in memory, both passes, writing
// nowhere. Every path handed out stays below the destination.
#include <stdio.h>

#include <cstring>

#include "archive/extract.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

constexpr char kDestination[] = "C:\\dest";

void CheckPath(const char* path) {
    const size_t prefix = sizeof kDestination - 1;
    FUZZ_CHECK(std::strlen(path) < kPathSize);
    FUZZ_CHECK(std::strncmp(path, kDestination, prefix) == 0 && path[prefix] == '\\');
    FUZZ_CHECK(IsSafeEntryName(path + prefix + 1));
}

// An output stream that takes every byte and keeps none, without a file
// descriptor or a buffer: opening /dev/null per entry cost a system call
// and a buffer each time.
FILE* OpenNowhere() {
    cookie_io_functions_t io{};
    io.write = [](void*, const char*, size_t n) -> ssize_t { return static_cast<ssize_t>(n); };
    FILE* f = fopencookie(nullptr, "wb", io);
    if (!f || std::setvbuf(f, nullptr, _IONBF, 0) != 0)
        std::abort();
    return f;
}

class NowhereCallback : public ExtractCallback {
public:
    bool CreateFolder(const char* path) override {
        CheckPath(path);
        return true;
    }
    FILE* CreateOutputFile(const char* path) override {
        CheckPath(path);
        return OpenNowhere();
    }
    void BeginFile(const char* path, int32_t size) override {
        CheckPath(path);
        FUZZ_CHECK(size >= 0);
        lastWritten_ = 0;
    }
    void Progress(int64_t written, int32_t count) override {
        FUZZ_CHECK(written > lastWritten_);
        lastWritten_ = written;
    }
    void SetFileTime(const char* path, uint64_t) override { CheckPath(path); }

private:
    int64_t lastWritten_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Kept from run to run: its two 128 KiB buffers, made afresh, were
    // mapped and unmapped by the sanitizer's allocator every run.
    static EntryInflater inflater;
    for (ExtractMode mode : {ExtractModeFull, ExtractModeSetup}) {
        UniqueFile archive = OpenFuzzInput(data, size);
        NowhereCallback callback;
        ExtractFailure failure;
        ArchiveStatus status = ExtractArchive(archive.get(), kDestination, mode, callback, inflater, &failure);
        FUZZ_CHECK(status == failure.status);
        FUZZ_CHECK(std::memchr(failure.name, '\0', sizeof failure.name) != nullptr);
        FUZZ_CHECK(failure.offset >= 0 && failure.offset <= static_cast<int64_t>(size));
    }
    return 0;
}
