#include "tools/varnok-pack/commands/cli.h"
#include "tools/varnok-pack/env/env_json.h"
#include "tools/varnok-pack/env/env_report.h"

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
