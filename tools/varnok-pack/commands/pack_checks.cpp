#include "tools/varnok-pack/commands/pack_checks.h"

#include <strings.h>

#include "tools/varnok-pack/commands/cli.h"
#include "tools/varnok-pack/env/env_report.h"
#include "tools/varnok-pack/host/host_files.h"

namespace {

std::string LastLevel(const std::string& path) {
    size_t start = path.size();
    while (start > 0 && !IsPathSeparator(path[start - 1]))
        --start;
    return path.substr(start);
}

}  // namespace

bool CheckGameBeforePack(const std::string& gameDir, bool strict) {
    EnvVerdict verdict = CheckGameSettings(gameDir, stderr);
    if (verdict == kEnvErrors) {
        PrintError("pack", "the game folder or its install.env has errors; nothing written");
        return false;
    }
    if (verdict == kEnvWarnings && strict) {
        PrintError("pack", "--strict: the warnings above count as errors; nothing written");
        return false;
    }
    return true;
}

void LeaveOutOwnOutput(const std::string& output, std::vector<GameEntry>& entries) {
    std::string target, why;
    if (!ResolvedPath(output, target, why))
        return;  // not there yet, so no scan found it
    std::string name = LastLevel(output);
    std::erase_if(entries, [&](const GameEntry& e) {
        std::string resolved;
        if (e.IsFolder() || strcasecmp(LastLevel(e.path).c_str(), name.c_str()) != 0 ||
            !ResolvedPath(e.path, resolved, why) || resolved != target)
            return false;
        PrintText(stderr, "varnok-pack pack: note: '%s' is left out: it is the file this pack writes\n",
                  e.path.c_str());
        return true;
    });
}
