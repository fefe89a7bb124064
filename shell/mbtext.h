// Multibyte text helpers shared by every subsystem.
//
// Texts are NUL-terminated byte strings in the process's ANSI code page
// (Shift-JIS, code page 932, for every Japanese text). A double-byte
// character's second byte may be 0x5C ('\\') or an ASCII letter, so searches
// and case changes must step over whole characters.
#pragma once

#include <cstdarg>
#include <cstddef>

// True exactly for the Shift-JIS lead bytes 0x81-0x9F and 0xE0-0xFC,
// whatever code page the process uses.
bool IsLeadByte(unsigned char byte);

// True when the text ends in a '\\' that is not the second byte of a
// double-byte character (the byte before it is no lead byte).
bool EndsInPlainBackslash(const char* text);

// Removes a final '\\' unless it is the second byte of a double-byte
// character. Works in place.
void TrimTrailingBackslash(char* text);

// Appends '\\' unless the text already ends in one that is not the second
// byte of a double-byte character. The buffer needs room for one more byte.
void AppendTrailingBackslash(char* text);

// The multibyte code page that MbsChr, MbsStr, MbsInc and MbsLwr follow.
// 932 until changed; the Windows program sets the process's ANSI code page.
// Double-byte code pages (932, 936, 949, 950) have lead bytes; any other is
// taken as single-byte.
void SetMbCodePage(int codePage);
bool IsMbLeadByte(unsigned char byte);

// Next character after p (one or two bytes; never steps over the NUL).
const char* MbsInc(const char* p);
// First occurrence of a single-byte character, at a character boundary.
const char* MbsChr(const char* text, unsigned char c);
// First occurrence of pattern starting at a character boundary.
const char* MbsStr(const char* text, const char* pattern);
// Lower-cases single-byte A-Z and, under code page 932, the full-width Latin
// capitals. Second bytes are never taken for letters.
void MbsLwr(char* text);

// Copies src into dst[capacity], always NUL-terminated, never cutting a
// double-byte character in half. Returns false when src had to be cut.
bool CopyText(char* dst, size_t capacity, const char* src);

// vsnprintf into out[capacity]; a text cut short never ends in half a
// double-byte character.
void FormatText(char* out, size_t capacity, const char* format, va_list args);
