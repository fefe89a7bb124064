#include "tools/varnok-pack/pack/name_fold.h"

namespace {

// One code point of valid UTF-8 from s[i], advancing i.
char32_t NextCodePoint(const std::string& s, size_t& i) {
    auto b = static_cast<unsigned char>(s[i++]);
    int more = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    char32_t c = more == 0 ? b : b & (0x3F >> more);
    for (; more > 0 && i < s.size(); --more)
        c = (c << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
    return c;
}

char32_t Lower(char32_t c) {
    bool shifted = (c >= U'A' && c <= U'Z') || (c >= 0xFF21 && c <= 0xFF3A) || (c >= 0x0391 && c <= 0x03A9) ||
                   (c >= 0x0410 && c <= 0x042F);
    if (shifted)
        return c + 0x20;
    return c == 0x0401 ? 0x0451 : c;  // Ё
}

}  // namespace

std::u32string FoldName(const std::string& utf8) {
    std::u32string folded;
    for (size_t i = 0; i < utf8.size();)
        folded += Lower(NextCodePoint(utf8, i));
    return folded;
}
