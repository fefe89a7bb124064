// The destination folder's text: the edit field's normalisation, the
// picker's composition and the level prefixes, over any bytes. Every
// accepted path fits in 259 bytes.
#include <cstring>
#include <string>

#include "install/destination_path.h"
#include "tests/fuzz/fuzz_input.h"

namespace {

void CheckAccepted(FolderVerdict verdict, const char* path) {
    if (verdict == FolderVerdict::Accepted)
        FUZZ_CHECK(std::strlen(path) < kPathSize);
    else
        FUZZ_CHECK(RefusalText(verdict) != nullptr);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    // The first byte picks the settings: folder making, a maker folder, and
    // a long game folder name.
    const unsigned pick = data[0];
    static const std::string kLongGame(200, 'G');
    DestinationSettings settings = {"C:\\WINDOWS", (pick & 2) ? "Maker" : nullptr,
                                    (pick & 4) ? kLongGame.c_str() : "Game", static_cast<int>(pick & 1)};
    std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    text = text.substr(0, std::strlen(text.c_str())).substr(0, kPathSize - 1);

    char field[kPathSize];
    std::memcpy(field, text.c_str(), text.size() + 1);
    CheckAccepted(NormaliseDestination(settings, field), field);

    char out[kPathSize];
    CheckAccepted(ComposeBrowsedFolder(settings, text.c_str(), out), out);
    CheckAccepted(ComposeDefaultFolder(settings, out), out);
    char prefix[kPathSize];
    PathPrefix(text.c_str(), prefix, 1 + (pick >> 3));
    FUZZ_CHECK(std::strlen(prefix) <= text.size());
    return 0;
}
