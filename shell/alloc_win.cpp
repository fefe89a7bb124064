#include <windows.h>

#include <cstdint>
#include <cstdlib>

#include "shell/alloc.h"

namespace {

constexpr size_t kSpare = 32;

// メモリ容量が不足しています。処理を中断します。
constexpr char kOutOfMemoryText[] =
    "\x83\x81\x83\x82\x83\x8a\x97\x65\x97\xca\x82\xaa\x95\x73\x91\xab\x82\xb5\x82\xc4\x82\xa2\x82\xdc\x82\xb7"
    "\x81\x42\x8f\x88\x97\x9d\x82\xf0\x92\x86\x92\x66\x82\xb5\x82\xdc\x82\xb7\x81\x42";

}  // namespace

void* AllocOrReport(size_t size) {
    // A size so large that the spare bytes wrap around is out of memory, not a tiny block.
    void* block = size <= SIZE_MAX - kSpare ? std::malloc(size + kSpare) : nullptr;
    if (!block) {
        MessageBoxA(nullptr, kOutOfMemoryText, "malloc", MB_OK | MB_ICONERROR);
        std::exit(-1);
    }
    return block;
}
