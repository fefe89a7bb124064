// UTF-8 <-> UTF-16 for the Windows halves of the tool, and the system's
// text for an error code.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// Bytes that are not UTF-8 (or lone surrogates the other way) become U+FFFD.
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);

// A UTF-8 path for the wide file API: '/' as '\\', and from 248 characters
// the full path with the long-path prefix (defined in host_files_win.cpp).
std::wstring WidePath(const std::string& path);

// The system's message for a Win32 error code, without the line break.
std::string SystemMessage(DWORD code);
