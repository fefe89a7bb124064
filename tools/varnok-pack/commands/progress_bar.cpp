#include "tools/varnok-pack/commands/progress_bar.h"

#include <cstdio>
#include <string>

#include "tools/varnok-pack/host/host_console.h"

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);

double Megabytes(int64_t bytes) { return static_cast<double>(bytes) / 1e6; }

}  // namespace

double MegabytesPerSecond(int64_t bytes, double seconds) { return seconds > 0 ? Megabytes(bytes) / seconds : 0; }

ProgressBar::ProgressBar(const char* verb, int64_t totalFiles, int64_t totalBytes)
    : verb_(verb),
      totalFiles_(totalFiles),
      totalBytes_(totalBytes),
      active_(IsTerminal(stderr)),
      start_(std::chrono::steady_clock::now()),
      lastDraw_(start_) {}

double ProgressBar::Seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
}

void ProgressBar::Add(int64_t files, int64_t bytes) {
    std::lock_guard<std::mutex> lock(mutex_);
    files_ += files;
    bytes_ += bytes;
    auto now = std::chrono::steady_clock::now();
    if (active_ && now - lastDraw_ >= kRedrawInterval) {
        lastDraw_ = now;
        Draw();
    }
}

void ProgressBar::Draw() {
    char line[160];
    std::snprintf(line, sizeof line, "%s: %lld/%lld files  %.1f/%.1f MB  %.1f MB/s ", verb_,
                  static_cast<long long>(files_), static_cast<long long>(totalFiles_), Megabytes(bytes_),
                  Megabytes(totalBytes_), MegabytesPerSecond(bytes_, Seconds()));
    ShowStatusLine(stderr, line);
}

void ProgressBar::Finish() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (active_)
        ClearStatusLine(stderr);
    active_ = false;
}
