// JSON output of `varnok-pack env`: Shift-JIS texts as JSON strings.
#pragma once

#include <string>
#include <string_view>

// A JSON string literal of the bytes (quotes, backslashes and control
// bytes escaped).
std::string JsonQuoted(std::string_view text);

// A Shift-JIS text as JSON: its UTF-8 form (bytes that do not decode as
// \xNN), or with hex the hex of its bytes; null for no text.
class JsonText {
public:
    explicit JsonText(bool hex) : hex_(hex) {}
    std::string operator()(const char* sjis) const;

private:
    bool hex_;
};
