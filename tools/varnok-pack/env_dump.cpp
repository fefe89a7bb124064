#include "tools/varnok-pack/env_json.h"
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

void PrintSettings(const JsonText& text, FILE* out) {
    std::fprintf(out, "  \"settings\": [");
    const char* separator = "\n";
    for (const SettingEntry* e = FirstSettingEntry(); e; e = e->next) {
        std::fprintf(out, "%s    [%s, %s]", separator, text(e->key).c_str(), text(e->value).c_str());
        separator = ",\n";
    }
    std::fprintf(out, "%s],\n", FirstSettingEntry() ? "\n  " : "");
}

void PrintAccessors(const JsonText& text, FILE* out) {
    std::fprintf(out, "  \"accessors\": {\n");
    for (const TextAccessor& a : kTextAccessors)
        std::fprintf(out, "    \"%s\": %s,\n", a.name, text(a.get()).c_str());
    std::fprintf(out, "    \"INSTMAKEFOL\": %d\n  },\n", GetInstMakeFol());
}

void PrintSections(const JsonText& text, FILE* out) {
    std::fprintf(out, "  \"sections\": {");
    for (int state = 1; state <= kSectionCount; ++state) {
        std::fprintf(out, "\n    \"%s\": [", SectionName(state));
        const char* separator = "";
        for (const SectionLine* l = SectionListOf(state); l; l = l->next) {
            std::fprintf(out, "%s%s", separator, text(l->text).c_str());
            separator = ", ";
        }
        std::fprintf(out, "]%s", state < kSectionCount ? "," : "\n  },\n");
    }
}

}  // namespace

void PrintEnvJson(const EnvParse& env, bool hex, FILE* out) {
    JsonText text(hex);
    std::fprintf(out, "{\n");
    PrintSettings(text, out);
    PrintAccessors(text, out);
    PrintSections(text, out);
    std::fprintf(out, "  \"error\": %s\n}\n", text(env.error.empty() ? nullptr : env.error.c_str()).c_str());
}
