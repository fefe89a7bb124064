// Paths live in fixed MAX_PATH buffers: 259 bytes and the NUL.
#pragma once

#include <cstddef>

constexpr size_t kPathSize = 260;
