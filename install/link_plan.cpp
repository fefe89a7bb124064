#include "install/link_plan.h"

#include <cstring>
#include <string>

#include "config/setting_table.h"
#include "shell/mbtext.h"

namespace {

std::string WithTrailingBackslash(const char* folder) {
    std::string text(folder);
    text.append(2, '\0');  // room for the backslash and the NUL
    AppendTrailingBackslash(text.data());
    text.resize(std::strlen(text.c_str()));
    return text;
}

// Copies a path that fits into a 260-byte buffer whole; false otherwise.
bool StorePath(char (&out)[kPathSize], const std::string& path) {
    if (path.size() >= kPathSize) {
        out[0] = '\0';
        return false;
    }
    std::memcpy(out, path.c_str(), path.size() + 1);
    return true;
}

// The title's folder below Programs, with its trailing backslash.
std::string GroupFolder(const char* programsFolder, const LinkSettings& settings) {
    std::string group = WithTrailingBackslash(programsFolder);
    if (settings.instGroup)
        group.append(settings.instGroup).append("\\");
    return group.append(settings.titleBar).append("\\");
}

PlannedLink MakeLink(const std::string& file, const std::string& target, const char* description) {
    PlannedLink link{};
    bool fits = StorePath(link.file, file);
    fits = StorePath(link.target, target) && fits;
    fits = CopyText(link.description, sizeof link.description, description) && fits;
    if (!FolderPartOf(link.workFolder, sizeof link.workFolder, link.target))
        link.workFolder[0] = '\0';
    link.fits = fits;
    return link;
}

}  // namespace

LinkSettings LinkSettingsFromTable(char (&readmeLabel)[kPathSize], char (&readmeFile)[kPathSize]) {
    // お読みください
    FindSettingText("INSTREADME", readmeLabel, sizeof readmeLabel, "\x82\xa8\x93\xc7\x82\xdd\x82\xad\x82\xbe\x82\xb3\x82\xa2");
    char help[kPathSize];
    FindSettingText("HELP_FILE", help, sizeof help, "");
    FindSettingText("INSTREADMEFL", readmeFile, sizeof readmeFile, help);
    return {GetTitleBar(), GetInstGroup(), GetInstTo(), GetExeName(), readmeLabel, readmeFile};
}

int ProgramsFolderId(bool vistaOrLater) { return vistaOrLater ? kCsidlCommonPrograms : kCsidlPrograms; }
int DesktopFolderId(bool vistaOrLater) { return vistaOrLater ? kCsidlCommonDesktopDirectory : kCsidlDesktopDirectory; }

GroupFolders PlanGroupFolders(const char* programsFolder, const LinkSettings& settings) {
    GroupFolders folders{};
    std::string level = WithTrailingBackslash(programsFolder);
    const char* names[2] = {settings.instGroup, settings.titleBar};
    for (const char* name : names) {
        if (!name)
            continue;
        level.append(name);
        if (!StorePath(folders.path[folders.count], level))
            break;
        ++folders.count;
        level.append("\\");
    }
    return folders;
}

int PlanStartMenuLinks(const char* programsFolder, const char* installFolder, const LinkSettings& settings,
                       PlannedLink links[3]) {
    const std::string group = GroupFolder(programsFolder, settings) + settings.titleBar;
    const std::string install = WithTrailingBackslash(installFolder);
    int count = 0;
    links[count++] = MakeLink(group + ".LNK", install + settings.exeName, settings.instTo);
    const char* readme = settings.readmeFile;
    if (readme[0] != '\0' && readme[0] != '-')
        links[count++] = MakeLink(group + " " + settings.readmeLabel + ".LNK", install + readme, settings.instTo);
    // " アンインストール"
    links[count++] = MakeLink(group + " \x83\x41\x83\x93\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b.LNK",
                              install + "UnInst.exe", settings.instTo);
    return count;
}

PlannedLink PlanDesktopLink(const char* desktopFolder, const char* installFolder, const LinkSettings& settings) {
    return MakeLink(WithTrailingBackslash(desktopFolder) + settings.titleBar + ".LNK",
                    WithTrailingBackslash(installFolder) + settings.exeName, settings.instTo);
}

bool FolderPartOf(char* out, size_t capacity, const char* path) {
    const char* last = nullptr;
    for (const char* hit = MbsChr(path, '\\'); hit; hit = MbsChr(hit + 1, '\\'))
        last = hit;
    if (!last || static_cast<size_t>(last - path) >= capacity)
        return false;
    std::memcpy(out, path, last - path);
    out[last - path] = '\0';
    return true;
}
