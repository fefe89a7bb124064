// The fuzzer's bytes as a read-only stdio stream, for parsers that read
// files. Empty input reads as an empty file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "archive/stdio_file.h"

// The stream reads through one buffer kept for the whole run, so at most
// one such stream may be open at a time: a buffer made by stdio for every
// stream was a fresh heap block per run, filled and paged in by the
// sanitizer's allocator, and cost more than many parsers' whole work.
inline UniqueFile OpenFuzzInput(const uint8_t* data, size_t size) {
    static char buffer[BUFSIZ];
    FILE* f = size == 0 ? std::fopen("/dev/null", "rb") : fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!f || std::setvbuf(f, buffer, _IOFBF, sizeof buffer) != 0)
        std::abort();
    return UniqueFile(f);
}

// A broken invariant is a crash the fuzzer keeps, with its input.
#define FUZZ_CHECK(condition)    \
    do {                         \
        if (!(condition))        \
            __builtin_trap();    \
    } while (0)
