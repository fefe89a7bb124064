// What an install leaves outside the game's files, worked out from the
// settings alone: the links, the uninstall key, the [reg] values and the
// [ini] keys. The uninstaller removes exactly these.
#pragma once

#include <string>
#include <vector>

#include "config/section_lists.h"

struct LinkTraces {
    std::vector<std::string> files;    // link files
    std::vector<std::string> folders;  // group folders, deepest first: removed when left empty
};

// The Start-menu links below `programs` (the Programs folder the installer
// chose) and the desktop link in `desktop`; an empty folder adds none.
LinkTraces InstalledLinks(const std::string& programs, const std::string& desktop);

// "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\RuRid<TITLEBAR>".
std::string UninstallKeyName();

// "Software\\<REG_GLOBAL>\\<REG_LOCAL>", and its first level alone.
std::string GameKeyName();
std::string GameKeyParentName();

// The value names the [reg] lines wrote, each once, in line order; none
// when REG_GLOBAL turns the transfer off.
std::vector<std::string> RegValueNames(const SectionLine* reg);

// The keys the [ini] lines wrote, each once, in line order; none when
// INI_FILE turns the transfer off.
std::vector<std::string> IniKeys(const SectionLine* ini);
