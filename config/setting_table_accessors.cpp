#include <cstdio>
#include <initializer_list>

#include "config/setting_table.h"

namespace {

using ValueBuffer = char[kSettingValueSize];

ValueBuffer gRegGlobal, gRegLocal, gIniFile, gIniSection;
ValueBuffer gTitleBar, gInstGroup, gInstTo, gInstFol, gExeName;
char gWindowTitle[kWindowTitleSize];
int gInstMakeFol = -1;

// ＶＡＲＮＯＫ アプリケーション
constexpr char kDefaultTitleBar[] =
    "\x82\x75\x82\x60\x82\x71\x82\x6d\x82\x6e\x82\x6a \x83\x41\x83\x76\x83\x8a\x83\x50\x81\x5b\x83\x56\x83\x87"
    "\x83\x93";
// %s スタートアップ
constexpr char kWindowTitleFormat[] = "%s \x83\x58\x83\x5e\x81\x5b\x83\x67\x83\x41\x83\x62\x83\x76";

// Once read, the buffer holds the value or the default, never empty, so
// the key is not looked up again.
const char* ReadOnce(ValueBuffer& buffer, const char* key) {
    if (buffer[0] == '\0')
        FindSettingText(key, buffer, sizeof buffer, "-");
    return buffer;
}

const char* ReadEveryCall(ValueBuffer& buffer, const char* key, const char* def) {
    return FindSettingText(key, buffer, sizeof buffer, def);
}

const char* ReadOrNone(ValueBuffer& buffer, const char* key) {
    return ReadEveryCall(buffer, key, "")[0] != '\0' ? buffer : nullptr;
}

}  // namespace

const SettingKeyUse kSettingKeysRead[] = {
    {"REG_GLOBAL", kSettingValueSize}, {"REG_LOCAL", kSettingValueSize},   {"INI_FILE", kSettingValueSize},
    {"INI_SECTION", kSettingValueSize}, {"TITLEBAR", kSettingValueSize},   {"INST_GROUP", kSettingValueSize},
    {"INSTTO", kSettingValueSize},      {"INSTFOL", kSettingValueSize},    {"EXENAME", kSettingValueSize},
    {"INSTMAKEFOL", 0},                 {"INSTREADME", kSettingValueSize}, {"INSTREADMEFL", kSettingValueSize},
    {"HELP_FILE", 260},
};
const size_t kSettingKeysReadCount = sizeof kSettingKeysRead / sizeof kSettingKeysRead[0];

const char* GetRegGlobal() { return ReadOnce(gRegGlobal, "REG_GLOBAL"); }
const char* GetRegLocal() { return ReadOnce(gRegLocal, "REG_LOCAL"); }
const char* GetIniFile() { return ReadOnce(gIniFile, "INI_FILE"); }
const char* GetIniSection() { return ReadOnce(gIniSection, "INI_SECTION"); }

int GetInstMakeFol() {
    if (gInstMakeFol == -1)
        gInstMakeFol = FindSettingInt("INSTMAKEFOL", 0);
    return gInstMakeFol;
}

const char* GetTitleBar() { return ReadEveryCall(gTitleBar, "TITLEBAR", kDefaultTitleBar); }
const char* GetInstGroup() { return ReadOrNone(gInstGroup, "INST_GROUP"); }
const char* GetInstTo() { return ReadEveryCall(gInstTo, "INSTTO", "VARNOK_APP"); }
const char* GetInstFol() { return ReadOrNone(gInstFol, "INSTFOL"); }
const char* GetExeName() { return ReadEveryCall(gExeName, "EXENAME", "varnok.exe"); }

// The title is at most 127 bytes, the suffix 15: it always fits.
const char* GetWindowTitle() {
    std::snprintf(gWindowTitle, sizeof gWindowTitle, kWindowTitleFormat, GetTitleBar());
    return gWindowTitle;
}

void ForgetSettingAccessors() {
    for (ValueBuffer* b : {&gRegGlobal, &gRegLocal, &gIniFile, &gIniSection})
        (*b)[0] = '\0';
    gInstMakeFol = -1;
}
