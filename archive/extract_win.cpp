#include <windows.h>

#include <cstdlib>

#include "archive/copy_progress.h"
#include "archive/extract_payload.h"
#include "archive/stdio_file.h"
#include "shell/messages.h"
#include "shell/path_size.h"
#include "shell/work_folder.h"

namespace {

// ファイルの読み込みに失敗しました。ファイルが壊れている可能性があります。
constexpr char kReadFailureText[] =
    "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xcc\x93\xc7\x82\xdd\x8d\x9e\x82\xdd\x82\xc9\x8e\xb8\x94\x73\x82\xb5"
    "\x82\xdc\x82\xb5\x82\xbd\x81\x42\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x89\xf3\x82\xea\x82\xc4\x82\xa2"
    "\x82\xe9\x89\xc2\x94\x5c\x90\xab\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb7\x81\x42";

[[noreturn]] void FailExtraction() {
    CloseCopyProgress();
    ShowError("%s", kReadFailureText);
    RemoveWorkFolder();
    std::exit(-1);
}

}  // namespace

OpenedArchive OpenPayloadArchive() {
    char program[kPathSize];
    DWORD n = GetModuleFileNameA(nullptr, program, sizeof program);
    if (n == 0 || n >= sizeof program)
        return {};
    return OpenPayloadArchiveFor(program);
}

bool WindowExtractCallback::CreateFolder(const char* path) { return CreateFolderNoFollow(folders_, path); }

FILE* WindowExtractCallback::CreateOutputFile(const char* path) { return CreateFileNoFollow(folders_, path); }

void WindowExtractCallback::BeginFile(const char* path, int32_t size) {
    ShowCopyProgressFile(GetCopyProgressWindow(), path, size);
}

void WindowExtractCallback::Progress(int64_t written, int32_t count) {
    UpdateCopyProgress(GetCopyProgressWindow(), written, count);
}

void WindowExtractCallback::SetFileTime(const char* path, uint64_t fileTime) {
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    FILETIME lastWrite = {static_cast<DWORD>(fileTime), static_cast<DWORD>(fileTime >> 32)};
    ::SetFileTime(file, nullptr, nullptr, &lastWrite);
    CloseHandle(file);
}

ArchiveStatus RunExtractionPass(const OpenedArchive& archive, const char* destination, ExtractMode mode,
                                ExtractCallback& callback) {
    if (mode == ExtractModeFull)
        OpenCopyProgress(archive.payloadLength);
    ArchiveStatus status = ExtractArchive(archive.file, destination, mode, callback);
    CloseCopyProgress();
    return status;
}

void ExtractPayload(const char* destination, ExtractMode mode) {
    OpenedArchive archive = OpenPayloadArchive();
    UniqueFile file(archive.file);
    if (!file || archive.status != ArchiveStatus::Ok)
        FailExtraction();
    WindowExtractCallback callback(destination);
    if (RunExtractionPass(archive, destination, mode, callback) != ArchiveStatus::Ok)
        FailExtraction();
}
