#include <getopt.h>

#include <cstdio>
#include <cstring>

#include "tools/varnok-pack/commands/cli.h"
#include "tools/varnok-pack/commands/commands.h"
#include "tools/varnok-pack/commands/env_help.h"
#include "tools/varnok-pack/env/env_report.h"
#include "tools/varnok-pack/pack/game_tree.h"
#include "tools/varnok-pack/host/host_console.h"
#include "tools/varnok-pack/host/host_files.h"
#include "tools/varnok-pack/host/sjis.h"

namespace {

constexpr char kCommand[] = "env";

enum class EnvAction { Dump, Check, Plan };

struct EnvOptions {
    EnvAction action = EnvAction::Dump;
    const char* gameDir = nullptr;
    std::string file;
    PlanOptions plan;
};

enum OptionCode { kHex = 'x', kGame = 'g', kWindowsDir = 'w', kTyped = 't', kBrowsed = 'b', kCdrom = 'c',
                  kNoCdrom = 'n', kXp = 'p', kHelpOption = 'h' };

// Which sub-commands take an option.
bool Takes(EnvAction action, int code) {
    switch (code) {
    case kHex:
        return action != EnvAction::Check;
    case kGame:
        return action == EnvAction::Check;
    default:
        return action == EnvAction::Plan;
    }
}

// A UTF-8 option value in Shift-JIS; false after the usage error.
bool SjisOption(const char* name, std::optional<std::string>& value, int& exit) {
    value = Utf8ToSjis(optarg);
    if (!value)
        exit = UsageError(kCommand, "--%s has characters Shift-JIS cannot hold", name);
    return value.has_value();
}

int ApplyPlanOption(int code, PlanOptions& plan) {
    int exit = -1;
    std::optional<std::string> text;
    switch (code) {
    case kWindowsDir:
        if (SjisOption("windows-dir", text, exit))
            plan.windowsDir = *text;
        break;
    case kTyped:
        SjisOption("typed", plan.typed, exit);
        break;
    case kBrowsed:
        SjisOption("browsed", plan.browsed, exit);
        break;
    case kCdrom:
        SjisOption("cdrom", plan.cdrom, exit);
        break;
    case kNoCdrom:
        plan.cdrom.reset();
        break;
    case kXp:
        plan.xp = true;
        break;
    case kHex:
        plan.hex = true;
        break;
    }
    return exit;
}

// -1 to go on, otherwise the exit code. argv[0] is the sub-command.
int ParseOptions(int argc, char** argv, EnvOptions& options) {
    static const option kLong[] = {{"hex", no_argument, nullptr, kHex},
                                   {"game", required_argument, nullptr, kGame},
                                   {"windows-dir", required_argument, nullptr, kWindowsDir},
                                   {"typed", required_argument, nullptr, kTyped},
                                   {"browsed", required_argument, nullptr, kBrowsed},
                                   {"cdrom", required_argument, nullptr, kCdrom},
                                   {"no-cdrom", no_argument, nullptr, kNoCdrom},
                                   {"xp", no_argument, nullptr, kXp},
                                   {"help", no_argument, nullptr, kHelpOption},
                                   {nullptr, 0, nullptr, 0}};
    optind = 0;
    opterr = 0;
    bool typed = false, browsed = false, cdrom = false, noCdrom = false;
    for (int c; (c = getopt_long(argc, argv, "h", kLong, nullptr)) != -1;) {
        if (c == kHelpOption) {
            std::printf("%s", EnvSubcommandHelp(argv[0]));
            return kExitOk;
        }
        const option* known = nullptr;
        for (const option& o : kLong)
            known = o.val == c && o.name ? &o : known;
        if (!known)
            return BadOption(kCommand, argv);
        if (!Takes(options.action, c))
            return UsageError(kCommand, "--%s is not an option of %s", known->name, argv[0]);
        typed |= c == kTyped, browsed |= c == kBrowsed, cdrom |= c == kCdrom, noCdrom |= c == kNoCdrom;
        if (c == kGame)
            options.gameDir = optarg;
        else if (int exit = ApplyPlanOption(c, options.plan); exit >= 0)
            return exit;
    }
    if ((typed && browsed) || (cdrom && noCdrom))
        return UsageError(kCommand, "%s", typed && browsed ? "--typed and --browsed exclude each other"
                                                             : "--cdrom and --no-cdrom exclude each other");
    // With a game folder, its install.env is the file to check.
    if (argc == optind && options.gameDir) {
        options.file = JoinPath(options.gameDir, "install.env");
        return -1;
    }
    if (argc - optind != 1)
        return UsageError(kCommand, "%s expects one FILE", argv[0]);
    options.file = argv[optind];
    return -1;
}

// The section in the bytes install.env holds when redirected into it; on a
// terminal, readable.
int PrintDelFiles(int argc, char** argv) {
    if (argc == 3 && (!std::strcmp(argv[2], "--help") || !std::strcmp(argv[2], "-h"))) {
        std::printf("%s", EnvSubcommandHelp("delfiles"));
        return kExitOk;
    }
    if (argc != 3)
        return UsageError(kCommand, "delfiles expects one GAMEDIR");
    if (KindOf(argv[2]) != ItemKind::Folder) {
        PrintError(kCommand, "'%s' is not a folder", argv[2]);
        return kExitFailure;
    }
    std::vector<std::string> unlisted;
    std::string text = "[delfiles]\r\n";
    for (const std::string& file : ListTree(GameFolderLister(argv[2], &unlisted)).files)
        text += file + "\r\n";
    text += "-\r\n";
    WriteText(stdout, IsTerminal(stdout) ? SjisToUtf8(text).value_or(text) : text);
    for (const std::string& path : unlisted)
        PrintError(kCommand, "'%s': the name has no Shift-JIS form, so it is not listed (pack refuses it too)",
                   path.c_str());
    return unlisted.empty() ? kExitOk : kExitFailure;
}

}  // namespace

int RunEnv(int argc, char** argv) {
    if (argc >= 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) {
        std::printf("%s", kEnvHelp);
        return kExitOk;
    }
    if (argc >= 2 && !std::strcmp(argv[1], "delfiles"))
        return PrintDelFiles(argc, argv);
    EnvOptions options;
    if (argc >= 2 && !std::strcmp(argv[1], "dump"))
        options.action = EnvAction::Dump;
    else if (argc >= 2 && !std::strcmp(argv[1], "check"))
        options.action = EnvAction::Check;
    else if (argc >= 2 && !std::strcmp(argv[1], "plan"))
        options.action = EnvAction::Plan;
    else
        return UsageError(kCommand, "expects 'dump', 'check', 'plan' or 'delfiles'");
    if (int exit = ParseOptions(argc - 1, argv + 1, options); exit >= 0)
        return exit;
    EnvParse env = ParseEnvFile(options.file);
    switch (options.action) {
    case EnvAction::Dump:
        PrintEnvJson(env, options.plan.hex, stdout);
        return env.error.empty() ? kExitOk : kExitFailure;
    case EnvAction::Check:
        return CheckEnv(env, options.file.c_str(), options.gameDir, stdout);
    case EnvAction::Plan:
        if (!env.error.empty()) {
            PrintError(kCommand, "%s: the installer would stop with \"%s\"", options.file.c_str(), ShowName(env.error).c_str());
            return kExitFailure;
        }
        PrintEnvPlan(env, options.plan, stdout);
        return kExitOk;
    }
    return kExitUsage;
}
