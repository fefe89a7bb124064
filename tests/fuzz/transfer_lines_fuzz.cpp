// The [ini] and [reg] line split with placeholder expansion and unescaping,
// over one line of any bytes. Outputs stay inside their 512-byte texts.
#include <cstring>
#include <string>

#include "config/transfer.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

void CheckText(const char* text, size_t capacity) {
    if (text)
        FUZZ_CHECK(std::strlen(text) < capacity);
}

void CheckSplit(int rc, const char* first, const char* second) {
    FUZZ_CHECK(rc == kSplitDone || rc == kSplitNoSeparator || rc == kSplitTooLong);
    if (rc == kSplitDone) {
        CheckText(first, kTransferTextSize);
        CheckText(second, kTransferTextSize);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The first byte picks the install folder's length, so that expansions
    // reach the size limit from both sides.
    static const std::string kInstall = "C:\\Program Files\\" + std::string(240, 'g');
    std::string install = size ? kInstall.substr(0, data[0] % kInstall.size()) : "";
    SetPlaceholderInstallPath(install.c_str());
    SetCdromRootOverride("Q:\\");
    // One line as the section pass keeps it: at most 511 bytes, no NUL.
    std::string line(reinterpret_cast<const char*>(data) + (size ? 1 : 0), size ? size - 1 : 0);
    line = line.substr(0, std::strlen(line.c_str())).substr(0, 511);

    CheckText(ExpandIniPlaceholders(line.c_str()), kTransferTextSize);
    CheckText(ExpandRegPlaceholders(line.c_str()), kTransferTextSize);
    CheckText(UnescapeRegText(line.c_str()), kUnescapeTextSize);
    char first[kTransferTextSize], second[kTransferTextSize];
    CheckSplit(SplitIniLine(line.c_str(), first, second), first, second);
    CheckSplit(SplitRegLine(line.c_str(), first, second), first, second);
    return 0;
}
