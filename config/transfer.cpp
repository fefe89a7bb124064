#include "config/transfer.h"

#include <cstdio>
#include <cstring>

#include "config/user_registry.h"
#include "shell/mbtext.h"
#include "shell/path_size.h"

namespace {

constexpr char kRegSeparator[] = "\"=\"";

char gInstallPath[kPathSize];
const char* gCdromOverride;
CdromSearch gCdromSearch = FindCdromRoot;
char gDriveRoot[kPathSize];
char gIniExpansion[kTransferTextSize];
char gRegExpansion[kTransferTextSize];
char gUnescaped[kUnescapeTextSize];

const char* CdromRoot() { return gCdromOverride ? gCdromOverride : gCdromSearch(); }

// Replaces the first occurrence of the placeholder in text[capacity];
// false (text unchanged) when the result would not fit.
bool ReplaceFirst(char* text, size_t capacity, const char* placeholder, const char* by) {
    const char* at = MbsStr(text, placeholder);
    if (!at)
        return true;
    size_t head = static_cast<size_t>(at - text);
    const char* tail = at + std::strlen(placeholder);
    size_t byLength = std::strlen(by), tailLength = std::strlen(tail);
    if (head + byLength + tailLength >= capacity)
        return false;
    std::memmove(text + head + byLength, tail, tailLength + 1);
    std::memcpy(text + head, by, byLength);
    return true;
}

const char* Expand(char (&text)[kTransferTextSize], const char* line, const char* cdromPlaceholder) {
    size_t length = std::strlen(line);
    if (length >= sizeof text)
        return nullptr;
    std::memcpy(text, line, length + 1);
    // The drive search asks about 26 drives: only for a line that needs it.
    if ((MbsStr(text, cdromPlaceholder) && !ReplaceFirst(text, sizeof text, cdromPlaceholder, CdromRoot())) ||
        !ReplaceFirst(text, sizeof text, "REP_INSTALL", gInstallPath))
        return nullptr;
    return text;
}

}  // namespace

void SetPlaceholderInstallPath(const char* path) { CopyText(gInstallPath, sizeof gInstallPath, path); }
const char* GetPlaceholderInstallPath() { return gInstallPath; }

void SetCdromRootOverride(const char* root) { gCdromOverride = root; }
void SetCdromSearch(CdromSearch search) { gCdromSearch = search ? search : FindCdromRoot; }

const char* FindCdromRootWith(DriveTypeQuery driveType) {
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        std::snprintf(gDriveRoot, sizeof gDriveRoot, "%c:\\", letter);
        if (driveType(gDriveRoot) == kDriveTypeCdrom)
            return gDriveRoot;
    }
    return "E:\\";
}

const char* ExpandIniPlaceholders(const char* line) { return Expand(gIniExpansion, line, "REP_CDROMDRIVE"); }
const char* ExpandRegPlaceholders(const char* line) { return Expand(gRegExpansion, line, "REP_CDROM"); }

const char* UnescapeRegText(const char* line) {
    if (std::strlen(line) >= sizeof gUnescaped)
        return nullptr;
    char* out = gUnescaped;
    for (const char* p = line; *p;) {
        if (*p == '\\') {
            if (*++p)
                *out++ = *p++;
            continue;
        }
        const char* next = MbsInc(p);
        while (p < next)
            *out++ = *p++;
    }
    *out = '\0';
    return gUnescaped;
}

int SplitIniLine(const char* line, char* keyOut, char* valueOut) {
    if (!std::strchr(line, '='))
        return kSplitNoSeparator;
    const char* text = ExpandIniPlaceholders(line);
    if (!text)
        return kSplitTooLong;
    const char* equals = std::strchr(text, '=');
    size_t keyLength = static_cast<size_t>(equals - text);
    std::memcpy(keyOut, text, keyLength);
    keyOut[keyLength] = '\0';
    std::strcpy(valueOut, equals + 1);
    return kSplitDone;
}

// A separator at the very first byte leaves no room for the opening quote
// and a name; such a line is not a value line.
int SplitRegLine(const char* line, char* nameOut, char* dataOut) {
    const char* raw = std::strstr(line, kRegSeparator);
    if (!raw || raw == line)
        return kSplitNoSeparator;
    const char* unescaped = UnescapeRegText(line);
    const char* text = unescaped ? ExpandRegPlaceholders(unescaped) : nullptr;
    if (!text)
        return kSplitTooLong;
    const char* separator = std::strstr(text, kRegSeparator);
    if (!separator || separator == text)
        return kSplitNoSeparator;
    size_t nameLength = static_cast<size_t>(separator - text) - 1;
    std::memcpy(nameOut, text + 1, nameLength);
    nameOut[nameLength] = '\0';
    const char* data = separator + sizeof kRegSeparator - 1;
    size_t dataLength = std::strlen(data);
    if (dataLength > 0)
        --dataLength;
    std::memcpy(dataOut, data, dataLength);
    dataOut[dataLength] = '\0';
    return kSplitDone;
}
