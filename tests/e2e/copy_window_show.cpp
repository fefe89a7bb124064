// Runs a real full pass of an archive behind the copy progress window and
// holds it once half of the archive is through, so that a screenshot can be
// taken mid-copy.
//
//   varnok_copy_window_show ARCHIVE DESTINATION HOLD_SECONDS READY_FILE
//
// READY_FILE is written when the hold begins; the pass then finishes.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "archive/extract_payload.h"
#include "shell/mbtext.h"

namespace {

class HoldingCallback : public WindowExtractCallback {
public:
    HoldingCallback(const char* destination, int32_t payloadLength, DWORD holdMs, const char* readyFile)
        : WindowExtractCallback(destination), half_(payloadLength / 2), holdMs_(holdMs), readyFile_(readyFile) {}

    void Progress(int64_t written, int32_t count) override {
        WindowExtractCallback::Progress(written, count);
        if (held_ || count < half_)
            return;
        held_ = true;
        if (FILE* ready = std::fopen(readyFile_, "w"))
            std::fclose(ready);
        // Keep the window painting and the animation running while held,
        // as the copy itself keeps it.
        for (DWORD start = GetTickCount(); GetTickCount() - start < holdMs_;) {
            WindowExtractCallback::Progress(written, count);
            Sleep(20);
        }
    }

private:
    int32_t half_;
    DWORD holdMs_;
    const char* readyFile_;
    bool held_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: varnok_copy_window_show ARCHIVE DESTINATION HOLD_SECONDS READY_FILE\n");
        return 2;
    }
    SetMbCodePage(static_cast<int>(GetACP()));
    OpenedArchive archive = OpenPlainArchive(argv[1]);
    if (archive.status != ArchiveStatus::Ok) {
        std::fprintf(stderr, "cannot open %s: %s\n", argv[1], DescribeArchiveStatus(archive.status));
        return 1;
    }
    CreateDirectoryA(argv[2], nullptr);
    HoldingCallback callback(argv[2], archive.payloadLength, static_cast<DWORD>(std::atoi(argv[3])) * 1000, argv[4]);
    ArchiveStatus status = RunExtractionPass(archive, argv[2], ExtractModeFull, callback);
    std::fclose(archive.file);
    if (status != ArchiveStatus::Ok) {
        std::fprintf(stderr, "extraction failed: %s\n", DescribeArchiveStatus(status));
        return 1;
    }
    return 0;
}
