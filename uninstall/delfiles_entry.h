// One [delfiles] or [delfiles_user] line as the uninstaller reads it: a path
// relative to the install folder, '*' and '?' allowed in its last level only.
//
// Leading blanks are dropped and a comment ends the entry: from a tab, or
// from "//" at the start or after a blank. '/' separates levels like '\\'.
// Entries that could reach outside the install folder are refused.
#pragma once

#include <cstddef>

constexpr size_t kDelPathSize = 260;

enum class DelEntryVerdict {
    Ok,
    Blank,           // nothing but blanks or a comment
    ParentLevel,     // a level of only dots ("..", ".")
    Drive,           // a ':' anywhere: a drive, or a stream of a file
    Rooted,          // begins with a backslash
    WildcardFolder,  // '*' or '?' before the last level
    NoName,          // ends in a backslash: names a folder, not files
    TooLong,         // 260 bytes or more
};

// Writes the entry with its levels joined by single backslashes into
// `entry`; `entry` is left empty unless the verdict is Ok.
DelEntryVerdict ParseDelEntry(const char* line, char (&entry)[kDelPathSize]);

// Why an entry was refused, in English (for the publisher's tool).
const char* DescribeDelVerdict(DelEntryVerdict verdict);

// True when the name matches the pattern: '*' any run of characters, '?'
// one character, everything else without regard to case (A-Z and, under
// code page 932, the full-width Latin letters). "*.*" matches every name, as
// players know it from Windows. Double-byte characters count as one.
bool MatchNamePattern(const char* pattern, const char* name);

bool HasWildcard(const char* level);
