#include "tools/varnok-pack/commands/env_help.h"

#include <cstring>

const char kEnvHelp[] =
    "usage: varnok-pack env dump [--hex] FILE\n"
    "       varnok-pack env check [--game DIR] [FILE]\n"
    "       varnok-pack env delfiles GAMEDIR\n"
    "       varnok-pack env plan FILE [--windows-dir W] [--typed TEXT | --browsed FOLDER]\n"
    "                                 [--cdrom ROOT | --no-cdrom] [--xp] [--hex]\n"
    "\n"
    "Reads an install.env exactly as the installer does: the settings pass\n"
    "(the first 400 lines, up to [EOF]) and the section pass (the whole file).\n"
    "  dump      the settings, what the installer asks for, the sections, as JSON\n"
    "  check     what the installer would skip, misread or refuse\n"
    "  delfiles  a [delfiles] section listing every file of a game folder\n"
    "  plan      everything an install with these settings writes, as JSON\n"
    "'varnok-pack env SUBCOMMAND --help' describes each and its exit status.\n"
    "\n"
    "Exit status: that of the subcommand; 2 for a missing or unknown one.\n";

namespace {

const char kDumpHelp[] =
    "usage: varnok-pack env dump [--hex] FILE\n"
    "\n"
    "Prints one JSON object: \"settings\", the table in file order as [key,\n"
    "value] pairs; \"accessors\", each setting the installer asks for with its\n"
    "default applied (null for none), WINDOW_TITLE among them; \"sections\", the\n"
    "delfiles, delfiles_user, ini and reg lines; \"error\", null or the message\n"
    "the installer would stop with. Texts are decoded from Shift-JIS to UTF-8\n"
    "(bytes that do not decode are shown as \\xNN).\n"
    "  --hex        print every text as the hex of its raw bytes instead\n"
    "\n"
    "Exit status: 0, 1 when the JSON carries an error, 2 for a wrong command line.\n";

const char kCheckHelp[] =
    "usage: varnok-pack env check [--game DIR] [FILE]\n"
    "\n"
    "Reports, each with its line: (errors) a file saved as UTF-8 and a section\n"
    "left open, with which the installer shows garbage or refuses to start;\n"
    "(warnings) a byte-order mark, keys the installer never reads (typos,\n"
    "lower case), repeated keys, words after a value (a value ends at its first\n"
    "space: write '|' for one), values longer than the installer keeps,\n"
    "settings past line 400, [ini] lines without '=' and [reg] lines that are\n"
    "no \"name\"=\"data\" value (both skipped by the installer), lines that a long\n"
    "install folder would push past 511 bytes.\n"
    "  --game DIR   check the game folder too, as pack does; FILE defaults to\n"
    "               DIR/install.env. Errors: what pack refuses (names without\n"
    "               a Shift-JIS form, device names such as CON.txt, names that\n"
    "               differ only in case, links to folders or out of DIR, a\n"
    "               missing or broken insttscr.rct or one larger than the\n"
    "               launcher shows). Warnings: a smaller picture, files named by\n"
    "               EXENAME, INSTREADMEFL and HELP_FILE that DIR lacks,\n"
    "               [delfiles] and [delfiles_user] entries the uninstaller\n"
    "               refuses, [delfiles] entries that match no file, files no\n"
    "               entry covers (an uninstall would leave them behind).\n"
    "\n"
    "Exit status: 0 clean, 1 warnings, 2 errors or a wrong command line.\n";

const char kDelFilesHelp[] =
    "usage: varnok-pack env delfiles GAMEDIR\n"
    "\n"
    "Prints a [delfiles] section that lists every file of GAMEDIR, in\n"
    "Shift-JIS with '\\' between levels and CR LF line ends, ready to be pasted\n"
    "into install.env (readable UTF-8 on a terminal). A name without a\n"
    "Shift-JIS form cannot be listed: it is named on stderr.\n"
    "\n"
    "Exit status: 0, 1 when GAMEDIR cannot be read or a name cannot be listed,\n"
    "2 for a wrong command line.\n";

const char kPlanHelp[] =
    "usage: varnok-pack env plan FILE [--windows-dir W] [--typed TEXT | --browsed FOLDER]\n"
    "                                 [--cdrom ROOT | --no-cdrom] [--xp] [--hex]\n"
    "\n"
    "Prints what an install with these settings writes, as one JSON object:\n"
    "\"default_folder\", the folder SETUP proposes; \"install_folder\", the folder\n"
    "OK gives (the proposal, or the typed or picked one, normalised), null when\n"
    "refused; \"refused\", null or {\"reason\": \"network\", \"root\" or\n"
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
    "Texts on the command line are UTF-8.\n"
    "\n"
    "Exit status: 0, 1 when the file cannot be read or a section is left open,\n"
    "2 for a wrong command line.\n";

}  // namespace

const char* EnvSubcommandHelp(const char* name) {
    static const struct {
        const char* name;
        const char* help;
    } kTexts[] = {{"dump", kDumpHelp}, {"check", kCheckHelp}, {"delfiles", kDelFilesHelp}, {"plan", kPlanHelp}};
    for (const auto& t : kTexts) {
        if (!std::strcmp(name, t.name))
            return t.help;
    }
    return nullptr;
}
