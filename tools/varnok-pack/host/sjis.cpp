#include "tools/varnok-pack/host/sjis.h"

std::optional<std::string> SjisToUtf8(std::string_view sjis) { return DecodeSjis(sjis); }

std::optional<std::string> Utf8ToSjis(std::string_view utf8) {
    // A converter may map a few characters onto ASCII ("¥" to 0x5C, a
    // backslash): such a name would come back as another name, or as a path.
    std::optional<std::string> sjis = EncodeSjis(utf8);
    if (!sjis || DecodeSjis(*sjis) != utf8)
        return std::nullopt;
    return sjis;
}
