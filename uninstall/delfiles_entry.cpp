#include "uninstall/delfiles_entry.h"

#include <cstring>

#include "archive/payload_format.h"
#include "shell/mbtext.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The entry's end: a tab, or "//" at the start or after a blank; then
// trailing blanks go.
size_t EntryLength(const char* text) {
    const char* end = text;
    for (const char* p = text; *p; p = MbsInc(p)) {
        if (*p == '\t' || (p[0] == '/' && p[1] == '/' && (p == text || IsBlank(p[-1]))))
            break;
        end = MbsInc(p);
    }
    while (end > text && end[-1] == ' ')
        --end;
    return static_cast<size_t>(end - text);
}

// '*'/'?' found by HasWildcard within the level's bytes.
bool LevelHasWildcard(const char* level, size_t length) {
    char copy[kDelPathSize];
    std::memcpy(copy, level, length);
    copy[length] = '\0';
    return HasWildcard(copy);
}

// Lower-cased copy for matching; false when the text does not fit.
bool LowerCopy(char (&out)[kDelPathSize], const char* text) {
    if (!CopyText(out, sizeof out, text))
        return false;
    MbsLwr(out);
    return true;
}

// One character of each, compared; '?' takes any character.
bool SameCharacter(const char* pattern, const char* name) {
    if (*pattern == '?')
        return true;
    size_t p = static_cast<size_t>(MbsInc(pattern) - pattern), n = static_cast<size_t>(MbsInc(name) - name);
    return p == n && std::memcmp(pattern, name, n) == 0;
}

// Greedy with one backtrack point, the last '*': linear in practice, never
// exponential however many stars the pattern holds.
bool Match(const char* pattern, const char* name) {
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*name) {
        if (*pattern == '*') {
            star = ++pattern;
            resume = name;
        } else if (*pattern && SameCharacter(pattern, name)) {
            pattern = MbsInc(pattern);
            name = MbsInc(name);
        } else if (star) {
            pattern = star;
            name = resume = MbsInc(resume);
        } else {
            return false;
        }
    }
    while (*pattern == '*')
        ++pattern;
    return !*pattern;
}

}  // namespace

bool HasWildcard(const char* level) { return MbsChr(level, '*') || MbsChr(level, '?'); }

DelEntryVerdict ParseDelEntry(const char* line, char (&entry)[kDelPathSize]) {
    entry[0] = '\0';
    while (IsBlank(*line))
        ++line;
    size_t length = EntryLength(line);
    if (length == 0)
        return DelEntryVerdict::Blank;
    if (length >= kDelPathSize)
        return DelEntryVerdict::TooLong;
    char text[kDelPathSize];
    std::memcpy(text, line, length);
    text[length] = '\0';
    for (char* p = text; *p; p = const_cast<char*>(MbsInc(p))) {
        if (*p == '/')
            *p = '\\';
    }
    if (text[0] == '\\')
        return DelEntryVerdict::Rooted;
    if (MbsChr(text, ':'))
        return DelEntryVerdict::Drive;
    // Level by level; repeated backslashes are one separator.
    char joined[kDelPathSize] = "";
    size_t used = 0;
    const char* level = text;
    for (;;) {
        const char* sep = MbsChr(level, '\\');
        size_t n = sep ? static_cast<size_t>(sep - level) : std::strlen(level);
        if (n > 0) {
            if (DotLevelDots(level, level + n) >= 1)
                return DelEntryVerdict::ParentLevel;
            if (sep && LevelHasWildcard(level, n))
                return DelEntryVerdict::WildcardFolder;
            if (used > 0)
                joined[used++] = '\\';
            std::memcpy(joined + used, level, n);
            used += n;
            joined[used] = '\0';
        } else if (!sep) {
            return DelEntryVerdict::NoName;
        }
        if (!sep)
            break;
        level = sep + 1;
    }
    std::memcpy(entry, joined, used + 1);
    return DelEntryVerdict::Ok;
}

const char* DescribeDelVerdict(DelEntryVerdict verdict) {
    switch (verdict) {
    case DelEntryVerdict::Ok:
        return "accepted";
    case DelEntryVerdict::Blank:
        return "empty";
    case DelEntryVerdict::ParentLevel:
        return "a level of dots would leave the install folder";
    case DelEntryVerdict::Drive:
        return "a ':' names a drive or a file stream, outside the install folder";
    case DelEntryVerdict::Rooted:
        return "a leading backslash names the drive's root, outside the install folder";
    case DelEntryVerdict::WildcardFolder:
        return "'*' and '?' are allowed in the last level only";
    case DelEntryVerdict::NoName:
        return "ends in a backslash: it names a folder, not files";
    case DelEntryVerdict::TooLong:
        return "260 bytes or more";
    }
    return "refused";
}

bool MatchNamePattern(const char* pattern, const char* name) {
    if (!std::strcmp(pattern, "*.*"))
        return true;
    char p[kDelPathSize], n[kDelPathSize];
    return LowerCopy(p, pattern) && LowerCopy(n, name) && Match(p, n);
}
