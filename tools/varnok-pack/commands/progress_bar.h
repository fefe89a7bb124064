// A one-line progress display on stderr (files, bytes, rate), drawn only
// when stderr is a terminal. Safe to feed from several threads.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>

class ProgressBar {
public:
    ProgressBar(const char* verb, int64_t totalFiles, int64_t totalBytes);
    ~ProgressBar() { Finish(); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void Add(int64_t files, int64_t bytes);
    // Clears the line; later calls to Add draw nothing.
    void Finish();
    // Seconds since the bar was made, for the closing summary.
    double Seconds() const;

private:
    void Draw();
    const char* verb_;
    int64_t totalFiles_;
    int64_t totalBytes_;
    int64_t files_ = 0;
    int64_t bytes_ = 0;
    bool active_;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point lastDraw_;
    std::mutex mutex_;
};

// "12.3 MB/s" style rate; a zero duration reads as 0.
double MegabytesPerSecond(int64_t bytes, double seconds);
