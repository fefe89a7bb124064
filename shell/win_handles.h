// Owners of Win32 handles: closed once, when they go.
#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

struct RegKeyCloser {
    void operator()(HKEY key) const { RegCloseKey(key); }
};
using UniqueKey = std::unique_ptr<std::remove_pointer_t<HKEY>, RegKeyCloser>;

struct KernelHandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
// A kernel handle; INVALID_HANDLE_VALUE is not one, so convert it to null first.
using UniqueHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, KernelHandleCloser>;

// The handle CreateFile returned, owned; its failure value becomes null.
inline UniqueHandle OwnFile(HANDLE h) { return UniqueHandle(h == INVALID_HANDLE_VALUE ? nullptr : h); }
