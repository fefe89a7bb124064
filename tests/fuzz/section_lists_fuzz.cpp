// The install.env section pass into the four lists. Every kept line is
// trimmed, and the lists are emptied again for the next input.
#include <cstring>

#include "config/section_lists.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    UniqueFile file = OpenFuzzInput(data, size);
    SectionPassResult result = ReadSectionLists(file.get(), nullptr, nullptr);
    FUZZ_CHECK(result.openSection >= kNoSection && result.openSection <= kSectionCount);
    for (int state = 1; state <= kSectionCount; ++state) {
        for (const SectionLine* line = SectionListOf(state); line; line = line->next) {
            size_t n = std::strlen(line->text);
            FUZZ_CHECK(n > 0 && static_cast<unsigned char>(line->text[n - 1]) > 0x20);
        }
        ClearSectionList(SectionListOf(state));
    }
    return 0;
}
