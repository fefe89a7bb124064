// Conversion between the archive's Shift-JIS (code page 932) texts and the
// UTF-8 that the tool uses for file names and terminals.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Nothing when the text has no form in the target encoding; a UTF-8 text
// converts only when its Shift-JIS form converts back to the same text.
std::optional<std::string> SjisToUtf8(std::string_view sjis);
std::optional<std::string> Utf8ToSjis(std::string_view utf8);

// The platform's converters (iconv, or code page 932 of Windows), without
// the round-trip check.
std::optional<std::string> DecodeSjis(std::string_view sjis);
std::optional<std::string> EncodeSjis(std::string_view utf8);
