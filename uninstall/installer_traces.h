// What an install leaves outside the game's files, worked out from the
// settings with the installer's own plans: the links, the uninstall key, the
// [reg] values and the [ini] keys. The uninstaller removes exactly these.
#pragma once

#include <string>
#include <vector>

#include "config/section_lists.h"

struct LinkTraces {
    std::vector<std::string> files;    // link files
    std::vector<std::string> folders;  // group folders, deepest first: removed when left empty
};

// The Start-menu links below `programs` (the Programs folder the installer's
// version rule chose) and the desktop link in `desktop`, for the game in
// `installFolder`; an empty folder adds none.
LinkTraces InstalledLinks(const std::string& programs, const std::string& desktop, const std::string& installFolder);

// The uninstall entry's key under HKEY_LOCAL_MACHINE; empty when it would not fit.
std::string UninstallKeyName();

// "Software\\<REG_GLOBAL>\\<REG_LOCAL>", and its first level alone.
std::string GameKeyName();
std::string GameKeyParentName();

// The value names the [reg] lines wrote and the keys the [ini] lines wrote,
// for the game in `installFolder` (placeholders expanded as the install did),
// each once, in line order; none when REG_GLOBAL or INI_FILE turns the
// transfer off.
std::vector<std::string> RegValueNames(const SectionLine* reg, const std::string& installFolder);
std::vector<std::string> IniKeys(const SectionLine* ini, const std::string& installFolder);
