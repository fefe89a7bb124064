// What `varnok-pack env` prints about a parsed install.env.
#pragma once

#include <cstdio>
#include <optional>
#include <string>

#include "tools/varnok-pack/env/env_parse.h"

// One JSON object: settings (the table in order, [key, value] pairs),
// accessors (each accessor's key to its value, defaults applied; null for
// none), sections (the four lists), error (null or the installer's message).
// Texts decoded to UTF-8, or with hex the hex of their raw bytes.
void PrintEnvJson(const EnvParse& env, bool hex, FILE* out);

// What `env plan` assumes about the machine and the SETUP dialog; texts in
// Shift-JIS.
struct PlanOptions {
    std::string windowsDir = "C:\\WINDOWS";
    std::optional<std::string> typed;    // the edit field's text on OK
    std::optional<std::string> browsed;  // the folder picked with the picker
    std::optional<std::string> cdrom = std::string("Q:\\");  // none: no CD-ROM drive
    bool xp = false;                     // Windows before Vista
    bool hex = false;
};

// One JSON object: the folder SETUP proposes and the one an install would
// use (or why it is refused), the machine key probed, and what the install
// writes with that folder: the [ini] pairs and [reg] values (with the line
// numbers of those it skips), the links with their paths relative to their
// special folder, the uninstall entry and the access batch's lines.
void PrintEnvPlan(const EnvParse& env, const PlanOptions& options, FILE* out);

enum EnvVerdict { kEnvClean = 0, kEnvWarnings = 1, kEnvErrors = 2 };

// Prints every finding as "PATH:LINE: warning: ..." (or "error") and
// returns the verdict. With a game folder, also the files it lacks.
EnvVerdict CheckEnv(const EnvParse& env, const std::string& path, const char* gameDir, FILE* out);

// The check of GAMEDIR/install.env against GAMEDIR, as pack runs it.
EnvVerdict CheckGameSettings(const std::string& gameDir, FILE* out);
