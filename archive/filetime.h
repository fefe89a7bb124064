// Windows FILETIME (100 ns units since 1601-01-01 UTC) <-> Unix time.
#pragma once

#include <cstdint>

constexpr uint64_t kFileTimeUnixEpoch = 116444736000000000ULL;  // 1970-01-01 as a FILETIME
constexpr uint64_t kFileTimeTicksPerSecond = 10000000ULL;

struct UnixTime {
    int64_t seconds = 0;
    int32_t nanoseconds = 0;  // 0 .. 999,999,900
};

constexpr UnixTime FileTimeToUnix(uint64_t fileTime) {
    // Floor division, so that times before 1970 keep a non-negative fraction.
    uint64_t ticks = fileTime % kFileTimeTicksPerSecond;
    int64_t wholeSeconds = static_cast<int64_t>(fileTime / kFileTimeTicksPerSecond);
    int64_t epochSeconds = static_cast<int64_t>(kFileTimeUnixEpoch / kFileTimeTicksPerSecond);
    return UnixTime{wholeSeconds - epochSeconds, static_cast<int32_t>(ticks * 100)};
}

// Times before 1601 have no FILETIME and become 0.
constexpr uint64_t UnixToFileTime(int64_t seconds, int64_t nanoseconds) {
    int64_t epochSeconds = static_cast<int64_t>(kFileTimeUnixEpoch / kFileTimeTicksPerSecond);
    if (seconds < -epochSeconds)
        return 0;
    return static_cast<uint64_t>(seconds + epochSeconds) * kFileTimeTicksPerSecond +
           static_cast<uint64_t>(nanoseconds / 100);
}
