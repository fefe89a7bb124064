// Code page 932 named explicitly, so that the result is the same whatever
// the system's own ANSI code page.
#include <windows.h>

#include "tools/varnok-pack/host/sjis.h"

namespace {

constexpr UINT kShiftJis = 932;

std::optional<std::wstring> ToWide(UINT codePage, std::string_view in) {
    if (in.empty())
        return std::wstring();
    int length = static_cast<int>(in.size());
    int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), length, nullptr, 0);
    if (n <= 0)
        return std::nullopt;
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), length, wide.data(), n);
    return wide;
}

// No best-fit characters: one that has no exact form fails the conversion.
std::optional<std::string> FromWide(UINT codePage, const std::wstring& wide) {
    if (wide.empty())
        return std::string();
    int length = static_cast<int>(wide.size());
    DWORD flags = codePage == CP_UTF8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* defaultUsed = codePage == CP_UTF8 ? nullptr : &usedDefault;
    int n = WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr, defaultUsed);
    if (n <= 0 || usedDefault)
        return std::nullopt;
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), length, out.data(), n, nullptr, defaultUsed);
    return out;
}

}  // namespace

std::optional<std::string> DecodeSjis(std::string_view sjis) {
    std::optional<std::wstring> wide = ToWide(kShiftJis, sjis);
    return wide ? FromWide(CP_UTF8, *wide) : std::nullopt;
}

std::optional<std::string> EncodeSjis(std::string_view utf8) {
    std::optional<std::wstring> wide = ToWide(CP_UTF8, utf8);
    return wide ? FromWide(kShiftJis, *wide) : std::nullopt;
}
