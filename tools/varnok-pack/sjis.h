// Conversion between the archive's Shift-JIS (code page 932) texts and the
// UTF-8 of Linux file names and terminals.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Nothing when the text has no form in the target encoding.
std::optional<std::string> SjisToUtf8(std::string_view sjis);
std::optional<std::string> Utf8ToSjis(std::string_view utf8);
