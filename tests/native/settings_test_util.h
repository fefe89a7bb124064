// Scratch files for the locator, settings and section tests.
#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

// A private temporary folder, current for the test's lifetime, removed afterwards.
class ScratchFolder {
public:
    ScratchFolder() {
        char pattern[] = "/tmp/varnok_settings_XXXXXX";
        path_ = mkdtemp(pattern);
        saved_ = std::filesystem::current_path();
        std::filesystem::current_path(path_);
    }
    ~ScratchFolder() {
        std::filesystem::current_path(saved_);
        std::filesystem::remove_all(path_);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Writes the bytes to a file relative to the folder (parents made).
    void Write(const std::string& name, const std::string& bytes) const {
        std::filesystem::path p = std::filesystem::path(path_) / name;
        std::filesystem::create_directories(p.parent_path());
        FILE* f = std::fopen(p.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::filesystem::path saved_;
};

// An open stream holding the bytes, positioned at the start.
inline FILE* StreamOf(const std::string& bytes) {
    FILE* f = std::tmpfile();
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::rewind(f);
    return f;
}

// The rest of the stream.
inline std::string ReadRest(FILE* f) {
    std::string out;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        out.append(buf, n);
    return out;
}

// What `write` prints into the stream it is given.
inline std::string Printed(const std::function<void(FILE*)>& write) {
    FILE* out = std::tmpfile();
    write(out);
    std::rewind(out);
    std::string text = ReadRest(out);
    std::fclose(out);
    return text;
}
