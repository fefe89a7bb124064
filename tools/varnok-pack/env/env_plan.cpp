#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "config/transfer.h"
#include "install/destination_path.h"
#include "install/link_plan.h"
#include "install/registration_plan.h"
#include "shell/mbtext.h"
#include "tools/varnok-pack/commands/cli.h"
#include "tools/varnok-pack/env/env_json.h"
#include "tools/varnok-pack/env/env_report.h"

namespace {

using SplitFunction = int (*)(const char*, char*, char*);

struct TransferPlan {
    std::vector<std::pair<std::string, std::string>> written;
    std::vector<int> skipped;
};

// The lines of a section as the install walks them, with the folder in
// place of REP_INSTALL.
TransferPlan PlanTransfer(const EnvParse& env, int state, SplitFunction split) {
    TransferPlan plan;
    std::vector<int> lines = SectionEntryLines(env, state);
    size_t index = 0;
    for (const SectionLine* l = SectionListOf(state); l; l = l->next, ++index) {
        char first[kTransferTextSize], second[kTransferTextSize];
        if (split(l->text, first, second) == kSplitDone)
            plan.written.emplace_back(first, second);
        else
            plan.skipped.push_back(index < lines.size() ? lines[index] : 0);
    }
    return plan;
}

class PlanPrinter {
public:
    PlanPrinter(bool hex, FILE* out) : text_(hex), out_(out) {}

    void Field(const char* name, const std::string& json) {
        PrintText(out_, "%s  \"%s\": %s", separator_, name, json.c_str());
        separator_ = ",\n";
    }
    void End() { PrintText(out_, "\n}\n"); }
    std::string Text(const char* sjis) const { return text_(sjis); }
    std::string Text(const std::string& sjis) const { return text_(sjis.c_str()); }

    std::string Transfer(const TransferPlan& plan, const char* listName) const {
        std::string json = std::string("\"") + listName + "\": [";
        const char* separator = "";
        for (const auto& [first, second] : plan.written) {
            json.append(separator).append("[").append(Text(first)).append(", ").append(Text(second)).append("]");
            separator = ", ";
        }
        json += "], \"skipped\": [";
        separator = "";
        for (int line : plan.skipped) {
            json += separator + std::to_string(line);
            separator = ", ";
        }
        return json + "]";
    }

private:
    JsonText text_;
    FILE* out_;
    const char* separator_ = "{\n";
};

const char* SpecialFolderName(int csidl) {
    switch (csidl) {
    case kCsidlCommonPrograms:
        return "common_programs";
    case kCsidlPrograms:
        return "programs";
    case kCsidlCommonDesktopDirectory:
        return "common_desktop";
    default:
        return "desktop";
    }
}

// The links planned below an empty special folder: their paths relative to it.
std::string LinksJson(const PlanPrinter& p, const char* installFolder, bool vistaOrLater) {
    char readmeLabel[kPathSize], readmeFile[kPathSize];
    LinkSettings settings = LinkSettingsFromTable(readmeLabel, readmeFile);
    PlannedLink links[4];
    int count = PlanStartMenuLinks("", installFolder, settings, links);
    std::vector<int> folders(static_cast<size_t>(count), ProgramsFolderId(vistaOrLater));
    links[count++] = PlanDesktopLink("", installFolder, settings);
    folders.push_back(DesktopFolderId(vistaOrLater));
    // A link whose path would not fit is not made.
    std::string json = "[";
    const char* separator = "{";
    for (int i = 0; i < count; ++i) {
        const PlannedLink& l = links[i];
        if (!l.fits)
            continue;
        json += separator + ("\"folder\": \"" + std::string(SpecialFolderName(folders[i])) + "\"");
        json += ", \"path\": " + p.Text(l.file + (l.file[0] == '\\' ? 1 : 0)) + ", \"target\": " + p.Text(l.target);
        json += ", \"description\": " + p.Text(l.description) + ", \"working_folder\": " + p.Text(l.workFolder) + "}";
        separator = ", {";
    }
    return json + "]";
}

std::string UninstallJson(const PlanPrinter& p, const char* installFolder) {
    char key[kUninstallKeySize], command[kUninstallCommandSize];
    if (!FormatUninstallKey(key, sizeof key, GetTitleBar()) ||
        !FormatUninstallCommand(command, sizeof command, installFolder))
        return "null";
    return "{\"key\": " + p.Text(key) + ", \"DisplayName\": " + p.Text(GetTitleBar()) +
           ", \"UninstallString\": " + p.Text(command) + "}";
}

// The batch is written to the user's temp folder, shown as %TEMP%.
std::string AccessBatchJson(const PlanPrinter& p, const char* installFolder) {
    char batch[kPathSize], text[kAccessBatchTextSize];
    if (!JoinFolderFile(batch, sizeof batch, "%TEMP%", kAccessBatchName) ||
        !FormatAccessBatch(text, sizeof text, installFolder, batch))
        return "null";
    std::string json = "[";
    for (char *line = text, *end; (end = std::strchr(line, '\n')); line = end + 1) {
        *end = '\0';
        json += (line == text ? "" : ", ") + p.Text(line);
    }
    return json + "]";
}

const char* ReasonName(FolderVerdict verdict) {
    switch (verdict) {
    case FolderVerdict::Network:
        return "network";
    case FolderVerdict::Root:
        return "root";
    case FolderVerdict::TooLong:
        return "too_long";
    case FolderVerdict::Accepted:
        break;
    }
    return nullptr;
}

// The folder OK would give, in folder[kPathSize]: the proposal, the typed
// text (cut as the edit field hands it over) or the picked folder composed.
FolderVerdict InstallFolder(const DestinationSettings& settings, const PlanOptions& options, FolderVerdict proposal,
                            char* folder) {
    if (proposal != FolderVerdict::Accepted)
        return proposal;
    if (options.typed)
        CopyText(folder, kPathSize, options.typed->c_str());
    if (options.browsed) {
        if (FolderVerdict v = ComposeBrowsedFolder(settings, options.browsed->c_str(), folder);
            v != FolderVerdict::Accepted)
            return v;
    }
    return NormaliseDestination(settings, folder);
}

}  // namespace

void PrintEnvPlan(const EnvParse& env, const PlanOptions& options, FILE* out) {
    DestinationSettings settings = {options.windowsDir.c_str(), GetInstFol(), GetInstTo(), GetInstMakeFol()};
    char proposal[kPathSize], folder[kPathSize];
    FolderVerdict proposed = ComposeDefaultFolder(settings, proposal);
    std::memcpy(folder, proposal, sizeof folder);
    FolderVerdict verdict = InstallFolder(settings, options, proposed, folder);
    bool accepted = verdict == FolderVerdict::Accepted;

    PlanPrinter p(options.hex, out);
    p.Field("default_folder", proposed == FolderVerdict::Accepted ? p.Text(proposal) : "null");
    p.Field("install_folder", accepted ? p.Text(folder) : "null");
    p.Field("refused", accepted ? "null"
                                : "{\"reason\": \"" + std::string(ReasonName(verdict)) +
                                      "\", \"message\": " + p.Text(RefusalText(verdict)) + "}");
    std::string key = std::string("Software\\") + GetRegGlobal() + "\\" + GetRegLocal();
    p.Field("hklm_probe_key", p.Text(key));

    // A refused folder stops the install before it writes anything.
    SetPlaceholderInstallPath(folder);
    SetCdromRootOverride(options.cdrom ? options.cdrom->c_str() : nullptr);
    bool ini = accepted && GetIniFile()[0] != '-';
    p.Field("ini", ini ? "{\"file\": " + p.Text(GetIniFile()) + ", \"section\": " + p.Text(GetIniSection()) + ", " +
                             p.Transfer(PlanTransfer(env, kIniSection, SplitIniLine), "pairs") + "}"
                       : "null");
    bool reg = accepted && GetRegGlobal()[0] != '-';
    p.Field("reg", reg ? "{\"key\": " + p.Text(key) + ", " +
                             p.Transfer(PlanTransfer(env, kRegSection, SplitRegLine), "values") + "}"
                       : "null");
    SetCdromRootOverride(nullptr);
    SetPlaceholderInstallPath("");
    p.Field("links", accepted ? LinksJson(p, folder, !options.xp) : "null");
    p.Field("uninstall", accepted ? UninstallJson(p, folder) : "null");
    p.Field("access_batch", accepted ? AccessBatchJson(p, folder) : "null");
    p.End();
}
