// Helpers for the archive and pack tests: archives built in memory, FILE*
// views of them, a temporary folder, and an extraction callback that keeps
// every output in memory and logs the calls.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "archive/extract.h"
#include "archive/payload_writer.h"
#include "archive/stdio_file.h"

namespace testutil {

// A file of one entry, written field by field (no checks), for hostile input.
inline std::string RawEntry(const std::string& nameWithNul, uint32_t size, uint32_t compressedSize,
                            const std::string& timeAndData = std::string(8, '\0')) {
    std::string out(2, '\0');
    StoreU16(reinterpret_cast<unsigned char*>(out.data()), static_cast<uint16_t>(nameWithNul.size()));
    out += nameWithNul;
    unsigned char fields[8];
    StoreU32(fields, size);
    StoreU32(fields + 4, compressedSize);
    out.append(reinterpret_cast<char*>(fields), 8);
    if (size != 0xFFFFFFFFu)
        out += timeAndData;
    return out;
}

inline const std::string kEndMarker(4, '\0');

// A seekable stream holding `bytes`, at offset 0.
inline UniqueFile FileWith(const std::string& bytes) {
    UniqueFile f(std::tmpfile());
    std::fwrite(bytes.data(), 1, bytes.size(), f.get());
    std::rewind(f.get());
    return f;
}

inline std::string ReadAll(FILE* f) {
    std::rewind(f);
    std::string out;
    char buf[65536];
    while (size_t n = std::fread(buf, 1, sizeof buf, f))
        out.append(buf, n);
    return out;
}

// Builds an archive with PayloadWriter; files are compressed at level 6.
class ArchiveBuilder {
public:
    ArchiveBuilder() : file_(std::tmpfile()), writer_(file_.get()) {}
    ArchiveBuilder& Folder(const std::string& name) {
        ok_ = writer_.AddFolder(name) && ok_;
        return *this;
    }
    ArchiveBuilder& File(const std::string& name, const std::string& content, uint64_t time = 0x01C969F31434E4F0ULL) {
        ok_ = writer_.AddFile(name, static_cast<int32_t>(content.size()), time, CompressZlib(content)) && ok_;
        return *this;
    }
    // The archive with its end marker and the two zero bytes.
    std::string Bytes() {
        ok_ = writer_.Finish() && ok_;
        std::fflush(file_.get());
        return ReadAll(file_.get());
    }
    bool ok() const { return ok_; }

private:
    UniqueFile file_;
    PayloadWriter writer_;
    bool ok_ = true;
};

struct TempDir {
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "varnok-test-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::filesystem::path operator/(const std::string& name) const { return path / name; }
    std::filesystem::path path;
};

inline void WriteFile(const std::filesystem::path& path, const std::string& content) {
    std::filesystem::create_directories(path.parent_path());
    UniqueFile f(std::fopen(path.c_str(), "wb"));
    std::fwrite(content.data(), 1, content.size(), f.get());
}

inline std::string ReadFile(const std::filesystem::path& path) {
    UniqueFile f(std::fopen(path.c_str(), "rb"));
    return f ? ReadAll(f.get()) : std::string("<missing>");
}

// Bytes that deflate hardly shrinks, from a fixed seed.
inline std::string NoiseBytes(size_t n, uint32_t seed = 1) {
    std::string out(n, '\0');
    for (char& c : out) {
        seed = seed * 1664525u + 1013904223u;
        c = static_cast<char>(seed >> 24);
    }
    return out;
}

// Keeps each output file in memory, keyed by its walk path, and logs calls.
class RecordingCallback : public ExtractCallback {
public:
    struct Output {
        char* data = nullptr;
        size_t size = 0;
        std::string Text() const { return std::string(data ? data : "", size); }
    };
    struct ProgressCall {
        std::string file;
        int64_t written;
        int32_t count;
    };
    ~RecordingCallback() override {
        for (auto& [path, out] : files)
            std::free(out.data);
    }
    bool CreateFolder(const char* path) override {
        folders.push_back(path);
        return true;
    }
    FILE* CreateOutputFile(const char* path) override {
        if (failCreate)
            return nullptr;
        Output& out = files[path];
        std::free(out.data);
        out = Output{};
        created.push_back(path);
        return open_memstream(&out.data, &out.size);
    }
    void BeginFile(const char* path, int32_t size) override { current = path; }
    void Progress(int64_t written, int32_t count) override { progress.push_back({current, written, count}); }
    void SetFileTime(const char* path, uint64_t fileTime) override { times[path] = fileTime; }

    bool failCreate = false;
    std::string current;
    std::vector<std::string> folders;
    std::vector<std::string> created;
    std::map<std::string, Output> files;
    std::map<std::string, uint64_t> times;
    std::vector<ProgressCall> progress;
};

// Runs one pass over `archive` into destination "D".
inline ArchiveStatus Walk(const std::string& archive, ExtractMode mode, RecordingCallback& callback,
                          ExtractFailure* failure = nullptr) {
    // In memory; an empty buffer is not allowed there.
    UniqueFile f = archive.empty() ? FileWith(archive)
                                   : UniqueFile(fmemopen(const_cast<char*>(archive.data()), archive.size(), "r"));
    return ExtractArchive(f.get(), "D", mode, callback, failure);
}

}  // namespace testutil
