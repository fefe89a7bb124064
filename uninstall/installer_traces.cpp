#include "uninstall/installer_traces.h"

#include <algorithm>

#include "config/setting_table.h"
#include "config/transfer.h"
#include "install/link_plan.h"
#include "install/registration_plan.h"

namespace {

void AddOnce(std::vector<std::string>& names, std::string name) {
    if (std::find(names.begin(), names.end(), name) == names.end())
        names.push_back(std::move(name));
}

using SplitLine = int (*)(const char* line, char* first, char* second);

// The first halves of the lines that split, as the install split them.
std::vector<std::string> SplitNames(const SectionLine* lines, const std::string& installFolder, SplitLine split) {
    SetPlaceholderInstallPath(installFolder.c_str());
    std::vector<std::string> names;
    for (const SectionLine* line = lines; line; line = line->next) {
        char name[kTransferTextSize], data[kTransferTextSize];
        if (split(line->text, name, data) == kSplitDone)
            AddOnce(names, name);
    }
    return names;
}

}  // namespace

LinkTraces InstalledLinks(const std::string& programs, const std::string& desktop, const std::string& installFolder) {
    char readmeLabel[kPathSize], readmeFile[kPathSize];
    LinkSettings settings = LinkSettingsFromTable(readmeLabel, readmeFile);
    LinkTraces traces;
    if (!programs.empty()) {
        GroupFolders folders = PlanGroupFolders(programs.c_str(), settings);
        for (int i = folders.count - 1; i >= 0; --i)
            traces.folders.push_back(folders.path[i]);
        PlannedLink links[3];
        int count = PlanStartMenuLinks(programs.c_str(), installFolder.c_str(), settings, links);
        for (int i = 0; i < count; ++i) {
            if (links[i].fits)
                traces.files.push_back(links[i].file);
        }
    }
    if (!desktop.empty()) {
        PlannedLink link = PlanDesktopLink(desktop.c_str(), installFolder.c_str(), settings);
        if (link.fits)
            traces.files.push_back(link.file);
    }
    return traces;
}

std::string UninstallKeyName() {
    char key[kUninstallKeySize];
    return FormatUninstallKey(key, sizeof key, GetTitleBar()) ? key : "";
}

std::string GameKeyName() { return GameKeyParentName() + "\\" + GetRegLocal(); }

std::string GameKeyParentName() { return std::string("Software\\") + GetRegGlobal(); }

std::vector<std::string> RegValueNames(const SectionLine* reg, const std::string& installFolder) {
    if (GetRegGlobal()[0] == '-')
        return {};
    return SplitNames(reg, installFolder, SplitRegLine);
}

std::vector<std::string> IniKeys(const SectionLine* ini, const std::string& installFolder) {
    if (GetIniFile()[0] == '-')
        return {};
    return SplitNames(ini, installFolder, SplitIniLine);
}
