// The install.env key pass into the setting table, then every reader of the
// table with the buffer size it really uses.
#include <cstring>
#include <vector>

#include "config/setting_table.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    UniqueFile file = OpenFuzzInput(data, size);
    SettingPassResult result = LoadSettingTableFrom(file.get());
    FUZZ_CHECK(result.lines >= 0 && result.lines <= kSettingLineLimit);
    for (const SettingEntry* e = FirstSettingEntry(); e; e = e->next)
        FUZZ_CHECK(e->value[0] != '\0' && e->line >= 1 && e->line <= kSettingLineLimit);
    for (size_t i = 0; i < kSettingKeysReadCount; ++i) {
        const SettingKeyUse& use = kSettingKeysRead[i];
        if (use.capacity == 0) {
            FindSettingInt(use.key, 0);
            continue;
        }
        std::vector<char> out(use.capacity);
        FindSettingText(use.key, out.data(), out.size(), "-");
        FUZZ_CHECK(std::memchr(out.data(), '\0', out.size()) != nullptr);
    }
    const char* texts[] = {GetRegGlobal(), GetRegLocal(), GetIniFile(), GetIniSection(),
                           GetTitleBar(),  GetWindowTitle(), GetInstTo(), GetExeName()};
    for (const char* text : texts)
        FUZZ_CHECK(text && std::strlen(text) < kWindowTitleSize);
    GetInstGroup();
    GetInstFol();
    GetInstMakeFol();
    FreeSettingTable();
    return 0;
}
