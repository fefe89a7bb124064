#include <string>
#include <string_view>

#include "tools/varnok-pack/cli.h"
#include "tools/varnok-pack/env_report.h"

namespace {

struct TextAccessor {
    const char* name;
    const char* (*get)();
};

constexpr TextAccessor kTextAccessors[] = {
    {"REG_GLOBAL", GetRegGlobal}, {"REG_LOCAL", GetRegLocal},       {"INI_FILE", GetIniFile},
    {"INI_SECTION", GetIniSection}, {"TITLEBAR", GetTitleBar},      {"WINDOW_TITLE", GetWindowTitle},
    {"INST_GROUP", GetInstGroup}, {"INSTTO", GetInstTo},            {"INSTFOL", GetInstFol},
    {"EXENAME", GetExeName},
};

std::string Quoted(std::string_view text) {
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

class JsonText {
public:
    explicit JsonText(bool hex) : hex_(hex) {}
    std::string operator()(const char* sjis) const {
        if (!sjis)
            return "null";
        if (!hex_)
            return Quoted(ShowName(sjis));
        std::string digits;
        for (const char* p = sjis; *p; ++p) {
            char pair[3];
            std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(*p));
            digits += pair;
        }
        return Quoted(digits);
    }

private:
    bool hex_;
};

void PrintSettings(const JsonText& text, FILE* out) {
    PrintText(out, "  \"settings\": [");
    const char* separator = "\n";
    for (const SettingEntry* e = FirstSettingEntry(); e; e = e->next) {
        PrintText(out, "%s    [%s, %s]", separator, text(e->key).c_str(), text(e->value).c_str());
        separator = ",\n";
    }
    PrintText(out, "%s],\n", FirstSettingEntry() ? "\n  " : "");
}

void PrintAccessors(const JsonText& text, FILE* out) {
    PrintText(out, "  \"accessors\": {\n");
    for (const TextAccessor& a : kTextAccessors)
        PrintText(out, "    \"%s\": %s,\n", a.name, text(a.get()).c_str());
    PrintText(out, "    \"INSTMAKEFOL\": %d\n  },\n", GetInstMakeFol());
}

void PrintSections(const JsonText& text, FILE* out) {
    PrintText(out, "  \"sections\": {");
    for (int state = 1; state <= kSectionCount; ++state) {
        PrintText(out, "\n    \"%s\": [", SectionName(state));
        const char* separator = "";
        for (const SectionLine* l = SectionListOf(state); l; l = l->next) {
            PrintText(out, "%s%s", separator, text(l->text).c_str());
            separator = ", ";
        }
        PrintText(out, "]%s", state < kSectionCount ? "," : "\n  },\n");
    }
}

}  // namespace

void PrintEnvJson(const EnvParse& env, bool hex, FILE* out) {
    JsonText text(hex);
    PrintText(out, "{\n");
    PrintSettings(text, out);
    PrintAccessors(text, out);
    PrintSections(text, out);
    PrintText(out, "  \"error\": %s\n}\n", text(env.error.empty() ? nullptr : env.error.c_str()).c_str());
}
