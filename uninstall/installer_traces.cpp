#include "uninstall/installer_traces.h"

#include <algorithm>
#include <cstring>

#include "config/setting_table.h"
#include "shell/mbtext.h"

namespace {

// お読みください
constexpr char kReadmeLabelDefault[] = "\x82\xa8\x93\xc7\x82\xdd\x82\xad\x82\xbe\x82\xb3\x82\xa2";
//  アンインストール
constexpr char kUninstallLinkSuffix[] = " \x83\x41\x83\x93\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b";
constexpr char kLinkExtension[] = ".LNK";
constexpr size_t kPathSize = 260;

std::string WithBackslash(const std::string& folder) {
    char text[kPathSize + 1];
    if (!CopyText(text, kPathSize, folder.c_str()))
        return folder + "\\";
    AppendTrailingBackslash(text);
    return text;
}

void AddOnce(std::vector<std::string>& names, std::string name) {
    if (std::find(names.begin(), names.end(), name) == names.end())
        names.push_back(std::move(name));
}

// The [reg] line's unescaped text: "\\x" stands for x, a final '\\' goes;
// a 0x5C second byte is no backslash.
std::string UnescapeRegLine(const char* line) {
    std::string text;
    for (const char* p = line; *p;) {
        if (*p == '\\') {
            if (!*++p)
                break;
        }
        const char* next = MbsInc(p);
        text.append(p, static_cast<size_t>(next - p));
        p = next;
    }
    return text;
}

}  // namespace

LinkTraces InstalledLinks(const std::string& programs, const std::string& desktop) {
    LinkTraces links;
    std::string title = GetTitleBar();
    if (!programs.empty()) {
        std::string group = WithBackslash(programs);
        if (const char* maker = GetInstGroup()) {
            group += maker;
            links.folders.push_back(group);
            group += "\\";
        }
        group += title;
        links.folders.insert(links.folders.begin(), group);
        group += "\\";
        links.files.push_back(group + title + kLinkExtension);
        char label[kPathSize], file[kPathSize];
        FindSettingText("INSTREADME", label, sizeof label, kReadmeLabelDefault);
        FindSettingText("HELP_FILE", file, sizeof file, "");
        FindSettingText("INSTREADMEFL", file, sizeof file, file);
        if (file[0] != '\0' && file[0] != '-')
            links.files.push_back(group + title + " " + label + kLinkExtension);
        links.files.push_back(group + title + kUninstallLinkSuffix + kLinkExtension);
    }
    if (!desktop.empty())
        links.files.push_back(WithBackslash(desktop) + title + kLinkExtension);
    return links;
}

std::string UninstallKeyName() {
    return std::string("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\RuRid") + GetTitleBar();
}

std::string GameKeyName() { return GameKeyParentName() + "\\" + GetRegLocal(); }

std::string GameKeyParentName() { return std::string("Software\\") + GetRegGlobal(); }

std::vector<std::string> RegValueNames(const SectionLine* reg) {
    std::vector<std::string> names;
    if (GetRegGlobal()[0] == '-')
        return names;
    for (const SectionLine* line = reg; line; line = line->next) {
        if (!MbsStr(line->text, "\"=\""))
            continue;
        std::string text = UnescapeRegLine(line->text);
        size_t separator = text.find("\"=\"");
        // The opening quote goes, whatever the first byte is.
        if (separator != std::string::npos && separator >= 1)
            AddOnce(names, text.substr(1, separator - 1));
    }
    return names;
}

std::vector<std::string> IniKeys(const SectionLine* ini) {
    std::vector<std::string> keys;
    if (GetIniFile()[0] == '-')
        return keys;
    for (const SectionLine* line = ini; line; line = line->next) {
        if (const char* equals = std::strchr(line->text, '='))
            AddOnce(keys, std::string(line->text, static_cast<size_t>(equals - line->text)));
    }
    return keys;
}
