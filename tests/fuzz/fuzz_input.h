// The fuzzer's bytes as a read-only stdio stream, for parsers that read
// files. Empty input reads as an empty file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "archive/stdio_file.h"

inline UniqueFile OpenFuzzInput(const uint8_t* data, size_t size) {
    FILE* f = size == 0 ? std::fopen("/dev/null", "rb") : fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!f)
        std::abort();
    return UniqueFile(f);
}

// A broken invariant is a crash the fuzzer keeps, with its input.
#define FUZZ_CHECK(condition)    \
    do {                         \
        if (!(condition))        \
            __builtin_trap();    \
    } while (0)
