// An install.env read by both of the installer's passes, with what the
// checks need to point at lines: the section pass's verdict on every line
// and the physical line each piece came from.
#pragma once

#include <string>
#include <vector>

#include "config/section_lists.h"
#include "config/setting_table.h"

struct EnvParse {
    bool readable = false;
    std::string bytes;  // the file as stored
    SettingPassResult keyPass{};
    SectionPassResult sectionPass{};
    // By piece number (from 1): what the section pass took the piece for,
    // and the physical line (from 1) it belongs to.
    std::vector<SectionLineKind> sectionKinds;
    std::vector<int> sectionStates;  // the section state after each piece
    std::vector<int> physicalLines;
    std::string error;  // the installer's message (Shift-JIS); empty when none
};

// Parses the file with both passes into the process's setting table and
// section lists, which are emptied first.
EnvParse ParseEnvFile(const std::string& path);

// The physical line of a piece number; 0 for none.
int PhysicalLine(const EnvParse& env, int piece);

// The physical lines of a section's list entries, in list order (only the
// lines after the section's last head remain in the list).
std::vector<int> SectionEntryLines(const EnvParse& env, int state);
