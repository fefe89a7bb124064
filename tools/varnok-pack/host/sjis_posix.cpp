#include <iconv.h>

#include <cerrno>

#include "tools/varnok-pack/host/sjis.h"

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
    // Any irreversible conversion counts as failure.
    if (rc != 0 || srcLeft != 0)
        return std::nullopt;
    out.resize(out.size() - dstLeft);
    return out;
}

}  // namespace

std::optional<std::string> DecodeSjis(std::string_view sjis) { return Convert("UTF-8", "CP932", sjis); }
std::optional<std::string> EncodeSjis(std::string_view utf8) { return Convert("CP932", "UTF-8", utf8); }
