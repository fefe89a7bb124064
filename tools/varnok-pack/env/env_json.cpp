#include "tools/varnok-pack/env/env_json.h"

#include <cstdio>

#include "tools/varnok-pack/commands/cli.h"

std::string JsonQuoted(std::string_view text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string JsonText::operator()(const char* sjis) const {
    if (!sjis)
        return "null";
    if (!hex_)
        return JsonQuoted(ShowName(sjis));
    std::string digits;
    for (const char* p = sjis; *p; ++p) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(*p));
        digits += pair;
    }
    return JsonQuoted(digits);
}
