// The uninstall itself, on Windows: the game's files, then what the install
// left in the system, then the folders left empty.
#pragma once

#include <string>
#include <vector>

struct UninstallChoice {
    bool removeSaves = false;  // also the [delfiles_user] entries
    bool silent = false;       // no box at all: a file that will not go is just reported
};

struct UninstallOutcome {
    std::vector<std::string> kept;    // files below the folder that no entry named
    std::vector<std::string> failed;  // files named that could not be removed
    bool folderLeftEmpty = false;     // nothing but the running program remains
};

// Removes what the loaded settings name from `folder` (no trailing
// backslash). `self` is the running program's file name in the folder's
// top level, which is left for the finisher to remove.
UninstallOutcome RunUninstall(const std::string& folder, const std::string& self, const UninstallChoice& choice);

// The links, the uninstall key, the [reg] values and [ini] keys of the game
// installed in `folder`, and the keys left empty. Failures are silent.
void RemoveSystemTraces(const std::string& folder);
