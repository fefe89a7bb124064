#include "tools/varnok-pack/sjis.h"

#include <iconv.h>

#include <cerrno>

namespace {

std::optional<std::string> Convert(const char* to, const char* from, std::string_view in) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::string out(in.size() * 3 + 4, '\0');
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    size_t rc = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    // Any irreversible conversion counts as failure: a name must round-trip.
    if (rc != 0 || srcLeft != 0)
        return std::nullopt;
    out.resize(out.size() - dstLeft);
    return out;
}

}  // namespace

std::optional<std::string> SjisToUtf8(std::string_view sjis) { return Convert("UTF-8", "CP932", sjis); }
std::optional<std::string> Utf8ToSjis(std::string_view utf8) {
    // The converter maps a few characters onto ASCII ("¥" to 0x5C, a
    // backslash): such a name would come back as another name, or as a path.
    std::optional<std::string> sjis = Convert("CP932", "UTF-8", utf8);
    if (!sjis || SjisToUtf8(*sjis) != utf8)
        return std::nullopt;
    return sjis;
}
