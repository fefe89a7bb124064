// The game's registry key Software\REG_GLOBAL\REG_LOCAL: string and number
// reads and a string write under the current user, the administrator probe
// under the local machine; and the CD-ROM drive search.
#pragma once

#include <cstddef>

// Copies def into out[capacity], then the key's REG_SZ value over it when
// there is one (at most 512 bytes; cut to capacity - 1 at a character
// boundary). 0 when the value was read, -1 when out holds the default. A
// missing key or value, another type or a longer value count as absent.
// def may be out itself.
int ReadUserString(const char* global, const char* local, const char* valueName, const char* def, char* out,
                   size_t capacity);
// A REG_SZ value read as atoi reads it; def when there is none (a REG_DWORD
// value counts as none).
int ReadUserInt(const char* global, const char* local, const char* valueName, int def);
// Creates or opens the key and sets a REG_SZ value: 0 when both worked, -1 otherwise.
int WriteUserString(const char* global, const char* local, const char* valueName, const char* data);
// Creates or opens the key under HKEY_LOCAL_MACHINE and closes it: 0 when
// allowed, -1 otherwise. The key stays.
int ProbeMachineKey(const char* global, const char* local);

// The root of the first CD-ROM drive from A: to Z:, or "E:\\" without one;
// searched anew on each call. Natively there are no drives to ask.
const char* FindCdromRoot();
