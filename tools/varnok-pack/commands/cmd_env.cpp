#include <getopt.h>

#include <cstdio>
#include <cstring>

#include "tools/varnok-pack/commands/cli.h"
#include "tools/varnok-pack/commands/commands.h"
#include "tools/varnok-pack/env/env_report.h"
#include "tools/varnok-pack/pack/game_tree.h"
#include "tools/varnok-pack/host/host_console.h"
#include "tools/varnok-pack/host/host_files.h"
#include "tools/varnok-pack/host/sjis.h"

namespace {

constexpr char kCommand[] = "env";

constexpr char kHelp[] =
    "usage: varnok-pack env dump [--hex] FILE\n"
    "       varnok-pack env check [--game DIR] FILE\n"
    "       varnok-pack env delfiles GAMEDIR\n"
    "       varnok-pack env plan FILE [--windows-dir W] [--typed TEXT | --browsed FOLDER]\n"
    "                                 [--cdrom ROOT | --no-cdrom] [--xp] [--hex]\n"
    "\n"
    "Reads an install.env exactly as the installer does: the settings pass\n"
    "(the first 400 lines, up to [EOF]) and the section pass (the whole file).\n"
    "\n"
    "dump prints one JSON object: \"settings\", the table in file order as\n"
    "[key, value] pairs; \"accessors\", each setting the installer asks for with\n"
    "its default applied (null for none), WINDOW_TITLE among them; \"sections\",\n"
    "the delfiles, delfiles_user, ini and reg lines; \"error\", null or the\n"
    "message the installer would stop with. Texts are decoded from Shift-JIS to\n"
    "UTF-8 (bytes that do not decode are shown as \\xNN).\n"
    "  --hex        print every text as the hex of its raw bytes instead\n"
    "Exit status of dump: 0, 1 when the JSON carries an error, 2 for a wrong\n"
    "command line.\n"
    "\n"
    "check reports, each with its line: a file saved as UTF-8, keys the\n"
    "installer never reads (typos, lower case), repeated keys, values longer\n"
    "than the installer keeps, settings past line 400, [ini] lines without '='\n"
    "and [reg] lines that are no \"name\"=\"data\" value (both skipped by the\n"
    "installer), lines that a long install folder would push past 511 bytes,\n"
    "and (as an error) a section left open, with which the installer refuses\n"
    "to start.\n"
    "  --game DIR   also the files named by EXENAME, INSTREADMEFL and\n"
    "               HELP_FILE that DIR lacks (and a note when it has no\n"
    "               UnInst.exe, which pack then adds), [delfiles] and\n"
    "               [delfiles_user] entries the uninstaller refuses, [delfiles]\n"
    "               entries that match no file, and files no entry covers,\n"
    "               which an uninstall would leave behind\n"
    "Exit status of check: 0 clean, 1 warnings, 2 errors or a wrong command line.\n"
    "\n"
    "delfiles prints a [delfiles] section that lists every file of GAMEDIR,\n"
    "in Shift-JIS with '\\' between levels and CR LF line ends, ready to be\n"
    "pasted into install.env. Exit status: 0, 1 when GAMEDIR cannot be read.\n"
    "\n"
    "plan prints what an install with these settings writes, as one JSON\n"
    "object: \"default_folder\", the folder SETUP proposes; \"install_folder\",\n"
    "the folder OK gives (the proposal, or the typed or picked one, normalised),\n"
    "null when refused; \"refused\", null or {\"reason\": \"network\", \"root\" or\n"
    "\"too_long\", \"message\": the box's text}; \"hklm_probe_key\"; \"ini\", null\n"
    "when INI_FILE is \"-\", else its file, section, the [key, value] pairs\n"
    "written and the line numbers of the lines skipped; \"reg\", likewise for\n"
    "the HKEY_CURRENT_USER values; \"links\", each link's special folder\n"
    "(common_programs, programs, common_desktop or desktop), its path inside it,\n"
    "target, description and working folder, the desktop link last (made when\n"
    "the user agrees); \"uninstall\", the entry's key, DisplayName and\n"
    "UninstallString; \"access_batch\", the batch's lines (%TEMP% standing for the\n"
    "user's temp folder). A refused folder stops the install before it writes\n"
    "anything: what it would write is then null.\n"
    "  --windows-dir W  the Windows directory (C:\\WINDOWS)\n"
    "  --typed TEXT     the edit field's text when OK is pressed\n"
    "  --browsed FOLDER the folder picked with the browse button\n"
    "  --cdrom ROOT     the first CD-ROM drive's root (Q:\\)\n"
    "  --no-cdrom       no CD-ROM drive: the installer then uses E:\\\n"
    "  --xp             a Windows before Vista\n"
    "  --hex            texts as the hex of their Shift-JIS bytes\n"
    "Texts on the command line are UTF-8. Exit status of plan: 0, 1 when the\n"
    "file cannot be read or a section is left open, 2 for a wrong command line.\n";

enum class EnvAction { Dump, Check, Plan };

struct EnvOptions {
    EnvAction action = EnvAction::Dump;
    const char* gameDir = nullptr;
    const char* file = nullptr;
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
            std::printf("%s", kHelp);
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
    if (argc - optind != 1)
        return UsageError(kCommand, "%s expects one FILE", argv[0]);
    options.file = argv[optind];
    return -1;
}

// The section in the bytes install.env holds when redirected into it; on a
// terminal, readable.
int PrintDelFiles(int argc, char** argv) {
    if (argc != 3)
        return UsageError(kCommand, "delfiles expects one GAMEDIR");
    if (KindOf(argv[2]) != ItemKind::Folder) {
        PrintError(kCommand, "'%s' is not a folder", argv[2]);
        return kExitFailure;
    }
    std::string text = "[delfiles]\r\n";
    for (const std::string& file : ListTree(GameFolderLister(argv[2])).files)
        text += file + "\r\n";
    text += "-\r\n";
    WriteText(stdout, IsTerminal(stdout) ? SjisToUtf8(text).value_or(text) : text);
    return kExitOk;
}

}  // namespace

int RunEnv(int argc, char** argv) {
    if (argc >= 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) {
        std::printf("%s", kHelp);
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
        return CheckEnv(env, options.file, options.gameDir, stdout);
    case EnvAction::Plan:
        if (!env.error.empty()) {
            PrintError(kCommand, "%s: the installer would stop with \"%s\"", options.file, ShowName(env.error).c_str());
            return kExitFailure;
        }
        PrintEnvPlan(env, options.plan, stdout);
        return kExitOk;
    }
    return kExitUsage;
}
