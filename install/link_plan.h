// The shell links an install makes, worked out without touching the system:
// which special folders hold them, the group folders to create, and each
// link's file, target, description and working folder. The Windows side
// (shortcuts_win.cpp) makes exactly these; varnok-pack shows them.
#pragma once

#include <cstddef>

#include "shell/path_size.h"

// The special folders (CSIDL values) that hold the links: the all-users
// folders from Windows Vista on, the installing user's own before.
constexpr int kCsidlPrograms = 2;
constexpr int kCsidlDesktopDirectory = 16;
constexpr int kCsidlCommonPrograms = 23;
constexpr int kCsidlCommonDesktopDirectory = 25;
int ProgramsFolderId(bool vistaOrLater);
int DesktopFolderId(bool vistaOrLater);

// The settings the links are made from, as the setting table gives them.
struct LinkSettings {
    const char* titleBar;     // TITLEBAR
    const char* instGroup;    // INST_GROUP, null when absent
    const char* instTo;       // INSTTO: every link's description
    const char* exeName;      // EXENAME
    const char* readmeLabel;  // INSTREADME, "お読みください" when absent
    const char* readmeFile;   // INSTREADMEFL, else HELP_FILE, else ""
};

// The settings as the setting table gives them; the readme's label and
// file are looked up into the caller's buffers.
LinkSettings LinkSettingsFromTable(char (&readmeLabel)[kPathSize], char (&readmeFile)[kPathSize]);

// One link. `fits` is false when its file or target path would not fit in
// a 260-byte path: such a link is not made (it counts as a failed link),
// its texts are never cut.
struct PlannedLink {
    bool fits;
    char file[kPathSize];
    char target[kPathSize];
    char description[kPathSize];
    char workFolder[kPathSize];  // the target's folder
};

// The folders made before the Start-menu links, in creation order: the
// INST_GROUP folder (when set) and the title's folder inside it. A level
// that does not fit is left out with everything below it.
struct GroupFolders {
    int count;
    char path[2][kPathSize];
};
GroupFolders PlanGroupFolders(const char* programsFolder, const LinkSettings& settings);

// The Start-menu links in the order they are made: the game, the readme
// (only when readmeFile is set and does not begin with "-") and the
// uninstaller. Returns how many were planned (2 or 3).
int PlanStartMenuLinks(const char* programsFolder, const char* installFolder, const LinkSettings& settings,
                       PlannedLink links[3]);

// The desktop link to the game.
PlannedLink PlanDesktopLink(const char* desktopFolder, const char* installFolder, const LinkSettings& settings);

// out[capacity] := path cut at its last backslash (a double-byte
// character's second byte is not one). False, out untouched, when the path
// holds no backslash or out is too small.
bool FolderPartOf(char* out, size_t capacity, const char* path);
