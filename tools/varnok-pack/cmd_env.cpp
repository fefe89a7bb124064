#include <getopt.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "tools/varnok-pack/cli.h"
#include "tools/varnok-pack/commands.h"
#include "tools/varnok-pack/env_report.h"
#include "tools/varnok-pack/game_tree.h"

namespace {

constexpr char kCommand[] = "env";

constexpr char kHelp[] =
    "usage: varnok-pack env dump [--hex] FILE\n"
    "       varnok-pack env check [--game DIR] FILE\n"
    "       varnok-pack env delfiles GAMEDIR\n"
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
    "than the installer keeps, settings past line 400, and (as an error) a\n"
    "section left open, with which the installer refuses to start.\n"
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
    "pasted into install.env. Exit status: 0, 1 when GAMEDIR cannot be read.\n";

struct EnvOptions {
    bool hex = false;
    const char* gameDir = nullptr;
    const char* file = nullptr;
};

// -1 to go on, otherwise the exit code. argv[0] is the sub-command.
int ParseOptions(bool dump, int argc, char** argv, EnvOptions& options) {
    static const option kLong[] = {{"hex", no_argument, nullptr, 'x'},
                                   {"game", required_argument, nullptr, 'g'},
                                   {"help", no_argument, nullptr, 'h'},
                                   {nullptr, 0, nullptr, 0}};
    optind = 0;
    opterr = 0;
    for (int c; (c = getopt_long(argc, argv, "h", kLong, nullptr)) != -1;) {
        if (c == 'h') {
            std::printf("%s", kHelp);
            return kExitOk;
        }
        if (c == 'x' || c == 'g') {
            if (dump != (c == 'x'))
                return UsageError(kCommand, "%s is an option of %s", c == 'x' ? "--hex" : "--game",
                                  c == 'x' ? "dump" : "check");
            c == 'x' ? void(options.hex = true) : void(options.gameDir = optarg);
            continue;
        }
        return BadOption(kCommand, argv);
    }
    if (argc - optind != 1)
        return UsageError(kCommand, "%s expects one FILE", argv[0]);
    options.file = argv[optind];
    return -1;
}

// The section in the bytes install.env holds; fwrite keeps them as they are.
int PrintDelFiles(int argc, char** argv) {
    if (argc != 3)
        return UsageError(kCommand, "delfiles expects one GAMEDIR");
    std::error_code ec;
    if (!std::filesystem::is_directory(argv[2], ec)) {
        PrintError(kCommand, "'%s' is not a folder", argv[2]);
        return kExitFailure;
    }
    std::string text = "[delfiles]\r\n";
    for (const std::string& file : ListTree(GameFolderLister(argv[2])).files)
        text += file + "\r\n";
    text += "-\r\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
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
    bool dump = argc >= 2 && !std::strcmp(argv[1], "dump");
    if (argc < 2 || (!dump && std::strcmp(argv[1], "check") != 0))
        return UsageError(kCommand, "expects 'dump', 'check' or 'delfiles'");
    EnvOptions options;
    if (int exit = ParseOptions(dump, argc - 1, argv + 1, options); exit >= 0)
        return exit;
    EnvParse env = ParseEnvFile(options.file);
    if (dump) {
        PrintEnvJson(env, options.hex, stdout);
        return env.error.empty() ? kExitOk : kExitFailure;
    }
    return CheckEnv(env, options.file, options.gameDir, stdout);
}
