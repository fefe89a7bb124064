#include "shell/mbtext.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr bool IsSjisLead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

struct LeadTable {
    bool lead[256];
    constexpr LeadTable() : lead() {
        for (int b = 0; b < 256; ++b)
            lead[b] = IsSjisLead(static_cast<unsigned char>(b));
    }
};
constexpr LeadTable kSjisLeads;

int gMbCodePage = 932;

}  // namespace

bool IsLeadByte(unsigned char byte) { return kSjisLeads.lead[byte]; }

// The rule looks only at the byte before the backslash: a lead byte there
// makes the 0x5C the second byte of a double-byte character.
bool EndsInPlainBackslash(const char* text) {
    size_t len = std::strlen(text);
    return len > 0 && text[len - 1] == '\\' && (len == 1 || !IsLeadByte(static_cast<unsigned char>(text[len - 2])));
}

void TrimTrailingBackslash(char* text) {
    if (EndsInPlainBackslash(text))
        text[std::strlen(text) - 1] = '\0';
}

void AppendTrailingBackslash(char* text) {
    if (EndsInPlainBackslash(text))
        return;
    size_t len = std::strlen(text);
    text[len] = '\\';
    text[len + 1] = '\0';
}

void SetMbCodePage(int codePage) { gMbCodePage = codePage; }

bool IsMbLeadByte(unsigned char byte) {
    switch (gMbCodePage) {
    case 932:
        return IsLeadByte(byte);
    case 936:
    case 949:
    case 950:
        return byte >= 0x81 && byte <= 0xFE;
    default:
        return false;
    }
}

const char* MbsInc(const char* p) {
    if (*p == '\0')
        return p;
    if (IsMbLeadByte(static_cast<unsigned char>(*p)) && p[1] != '\0')
        return p + 2;
    return p + 1;
}

const char* MbsChr(const char* text, unsigned char c) {
    for (const char* p = text; *p; p = MbsInc(p)) {
        if (static_cast<unsigned char>(*p) == c && !IsMbLeadByte(c))
            return p;
    }
    return c == 0 ? text + std::strlen(text) : nullptr;
}

const char* MbsStr(const char* text, const char* pattern) {
    size_t n = std::strlen(pattern);
    if (n == 0)
        return text;
    for (const char* p = text; *p; p = MbsInc(p)) {
        if (std::strncmp(p, pattern, n) == 0)
            return p;
    }
    return nullptr;
}

void MbsLwr(char* text) {
    for (char* p = text; *p;) {
        auto b = static_cast<unsigned char>(*p);
        if (IsMbLeadByte(b) && p[1] != '\0') {
            auto t = static_cast<unsigned char>(p[1]);
            // Full-width Ａ-Ｚ (82 60-82 79) to ａ-ｚ (82 81-82 9A).
            if (gMbCodePage == 932 && b == 0x82 && t >= 0x60 && t <= 0x79)
                p[1] = static_cast<char>(t + 0x21);
            p += 2;
            continue;
        }
        if (b >= 'A' && b <= 'Z')
            *p = static_cast<char>(b + ('a' - 'A'));
        ++p;
    }
}

bool CopyText(char* dst, size_t capacity, const char* src) {
    if (capacity == 0)
        return false;
    size_t i = 0;
    while (src[i] != '\0') {
        size_t width = (IsMbLeadByte(static_cast<unsigned char>(src[i])) && src[i + 1] != '\0') ? 2 : 1;
        if (i + width >= capacity) {
            dst[i] = '\0';
            return false;
        }
        std::memcpy(dst + i, src + i, width);
        i += width;
    }
    dst[i] = '\0';
    return true;
}

void FormatText(char* out, size_t capacity, const char* format, va_list args) {
    if (capacity == 0)
        return;
    if (std::vsnprintf(out, capacity, format, args) < 0)
        out[0] = '\0';
    // vsnprintf cuts at a byte: drop a lead byte left without its second byte.
    for (char* p = out; *p; p = const_cast<char*>(MbsInc(p))) {
        if (IsMbLeadByte(static_cast<unsigned char>(*p)) && p[1] == '\0') {
            *p = '\0';
            break;
        }
    }
}
