#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "config/transfer.h"
#include "shell/mbtext.h"
#include "tools/varnok-pack/commands/cli.h"
#include "tools/varnok-pack/env/env_report.h"
#include "tools/varnok-pack/pack/game_folder.h"
#include "tools/varnok-pack/pack/game_tree.h"
#include "tools/varnok-pack/pack/launcher_picture.h"
#include "tools/varnok-pack/host/host_files.h"
#include "tools/varnok-pack/host/sjis.h"

namespace {

// Collects the findings and prints them in line order, those without a
// line last.
class Findings {
public:
    explicit Findings(const std::string& path) : path_(path) {}

    void Print(FILE* out) {
        std::stable_sort(items_.begin(), items_.end(), [](const Item& a, const Item& b) {
            return (a.line == 0 ? INT32_MAX : a.line) < (b.line == 0 ? INT32_MAX : b.line);
        });
        for (const Item& i : items_) {
            std::string where = i.line > 0 ? path_ + ":" + std::to_string(i.line) : path_;
            const char* kind = i.note ? "note" : i.kind == kEnvErrors ? "error" : "warning";
            PrintText(out, "%s: %s: %s\n", where.c_str(), kind, i.text.c_str());
        }
    }
    void Warn(int line, const char* format, ...) __attribute__((format(gnu_printf, 3, 4))) {
        va_list args;
        va_start(args, format);
        Add(line, kEnvWarnings, format, args);
        va_end(args);
    }
    // Information that leaves the verdict as it is.
    void Note(int line, const char* format, ...) __attribute__((format(gnu_printf, 3, 4))) {
        va_list args;
        va_start(args, format);
        Add(line, kEnvClean, format, args, true);
        va_end(args);
    }
    void Error(int line, const char* format, ...) __attribute__((format(gnu_printf, 3, 4))) {
        va_list args;
        va_start(args, format);
        Add(line, kEnvErrors, format, args);
        va_end(args);
    }
    EnvVerdict verdict() const { return verdict_; }
    const std::string& path() const { return path_; }

private:
    struct Item {
        int line;
        EnvVerdict kind;
        std::string text;
        bool note;
    };
    void Add(int line, EnvVerdict kind, const char* format, va_list args, bool note = false) {
        char text[2048];
        std::vsnprintf(text, sizeof text, format, args);
        items_.push_back({line, kind, text, note});
        verdict_ = std::max(verdict_, kind);
    }
    std::string path_;
    std::vector<Item> items_;
    EnvVerdict verdict_ = kEnvClean;
};

const SettingKeyUse* KnownKey(const std::string& key) {
    for (size_t i = 0; i < kSettingKeysReadCount; ++i) {
        if (key == kSettingKeysRead[i].key)
            return &kSettingKeysRead[i];
    }
    return nullptr;
}

// " (keys are case-sensitive: write KEY)" when the key is a known one in
// the wrong case; empty otherwise.
std::string CaseHint(const std::string& key) {
    std::string upper = key;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    return KnownKey(upper) ? " (keys are case-sensitive: write " + upper + ")" : "";
}

bool IsSectionSyntax(const EnvParse& env, int piece) {
    if (piece <= 0 || static_cast<size_t>(piece) >= env.sectionKinds.size())
        return false;
    SectionLineKind kind = env.sectionKinds[static_cast<size_t>(piece)];
    return kind == SectionLineKind::Head || kind == SectionLineKind::Entry || kind == SectionLineKind::Close ||
           kind == SectionLineKind::Stop;
}

// Length of a valid UTF-8 sequence starting at s[i] (2-4), or 0.
size_t Utf8Sequence(const std::string& s, size_t i) {
    auto b = static_cast<unsigned char>(s[i]);
    size_t n = b >= 0xF0 && b <= 0xF4 ? 4 : b >= 0xE0 ? 3 : b >= 0xC2 && b <= 0xDF ? 2 : 0;
    if (n == 0 || i + n > s.size())
        return 0;
    for (size_t k = 1; k < n; ++k) {
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
            return 0;
    }
    return n;
}

// The line of the first non-ASCII byte when the whole file is UTF-8; 0 otherwise.
int FirstUtf8Line(const std::string& bytes) {
    int line = 1, first = 0;
    for (size_t i = 0; i < bytes.size();) {
        auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            line += b == '\n';
            ++i;
            continue;
        }
        size_t n = Utf8Sequence(bytes, i);
        if (n == 0)
            return 0;
        first = first ? first : line;
        i += n;
    }
    return first;
}

// A shell word for the file's path in the hints.
std::string Quoted(const std::string& path) {
    std::string quoted = "'";
    for (char c : path)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Every title would be garbled, so UTF-8 text is an error; the mark alone
// spoils only the first key.
void CheckEncoding(const EnvParse& env, Findings& f) {
    bool mark = env.bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    int line = FirstUtf8Line(env.bytes.substr(mark ? 3 : 0));
    if (!mark && !line)
        return;
    std::string file = Quoted(f.path()), sjis = Quoted(f.path() + ".sjis");
    std::string convert = "convert it: tail -c +" + std::string(mark ? "4" : "1") + " " + file +
                          " | iconv -f UTF-8 -t CP932 > " + sjis + " && mv " + sjis + " " + file;
    if (line)
        f.Error(line, "the file is UTF-8, but the installer reads Shift-JIS (code page 932) and would show garbage; %s",
                convert.c_str());
    else
        f.Warn(1, "the file starts with a UTF-8 byte-order mark, which becomes part of the first key; %s",
               convert.c_str());
}

// The text of a physical line (1-based), without its line end.
std::string LineText(const std::string& bytes, int line) {
    size_t start = 0;
    for (int n = 1; n < line; ++n) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            return {};
        start = end + 1;
    }
    return bytes.substr(start, bytes.find_first_of("\r\n", start) - start);
}

// A value ends at its first blank: words after it are dropped unless they
// are a comment, which begins with '/'.
void CheckValueWords(const EnvParse& env, const SettingEntry& e, int line, Findings& f) {
    std::string text = LineText(env.bytes, line);
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
    size_t at = 0;
    for (int word = 0; word < 2; ++word) {
        while (at < text.size() && !blank(text[at]))
            ++at;
        while (at < text.size() && blank(text[at]))
            ++at;
    }
    if (at < text.size() && text[at] != '/')
        f.Warn(line, "%s keeps only '%s': the value ends at the first space or tab, so '%s' is dropped; "
                     "write '|' for a space in a value, and begin a comment with '//'",
               e.key, ShowName(e.value).c_str(), ShowName(text.substr(at)).c_str());
}

void CheckEntry(const EnvParse& env, const SettingEntry& e, std::map<std::string, int>& firstLines, Findings& f) {
    int line = PhysicalLine(env, e.line);
    std::string key = e.key, shown = ShowName(e.key);
    const SettingKeyUse* known = KnownKey(key);
    if (!known) {
        f.Warn(line, "'%s' is not a setting the installer reads%s", shown.c_str(), CaseHint(key).c_str());
        return;
    }
    if (auto [it, first] = firstLines.emplace(key, line); !first) {
        f.Warn(line, "%s repeats line %d; only the first one counts", key.c_str(), it->second);
        return;
    }
    CheckValueWords(env, e, line, f);
    if (key == "TITLEBAR" && MbsChr(e.value, '\\'))
        f.Warn(line, "the TITLEBAR value holds '\\', which no single-instance lock can be named with: "
                     "the installer would end at once, without a message");
    size_t length = std::strlen(e.value);
    if (known->capacity > 0 && length >= known->capacity) {
        std::string kept(known->capacity, '\0');
        CopyText(kept.data(), kept.size(), e.value);
        f.Warn(line, "the %s value is %zu bytes; the installer keeps only the first %zu", key.c_str(), length,
               std::strlen(kept.c_str()));
    }
}

void CheckEntries(const EnvParse& env, Findings& f) {
    std::map<std::string, int> firstLines;
    for (const SettingEntry* e = FirstSettingEntry(); e; e = e->next) {
        if (!IsSectionSyntax(env, e->line) && std::strcmp(e->key, "-") != 0)
            CheckEntry(env, *e, firstLines, f);
    }
}

struct LateLines {
    const EnvParse* env;
    Findings* findings;
};

void ReportLateLine(void* context, int piece, const char* key, const char*) {
    auto& late = *static_cast<LateLines*>(context);
    if (piece > kSettingLineLimit && !IsSectionSyntax(*late.env, piece) && std::strcmp(key, "-") != 0)
        late.findings->Warn(PhysicalLine(*late.env, piece),
                            "'%s' is past the %dth line, where the installer stops reading settings",
                            ShowName(key).c_str(), kSettingLineLimit);
}

// The key pass stopped at its limit: find the settings it never read.
void CheckLineLimit(const EnvParse& env, Findings& f) {
    if (env.keyPass.end != SettingPassEnd::LineLimit)
        return;
    FILE* file = OpenMemoryFile(env.bytes);
    if (!file)
        return;
    LateLines late = {&env, &f};
    ReadSettingLines(file, INT32_MAX, ReportLateLine, &late);
    std::fclose(file);
}

// The longest install folder is 259 bytes; REP_INSTALL is replaced once.
constexpr int kLongestFolder = 259;

// Bytes the line takes once expanded with an empty folder; -1 when it does
// not fit even so.
int ExpandedLength(const char* line, bool reg) {
    const char* text = reg ? UnescapeRegText(line) : line;
    text = text ? (reg ? ExpandRegPlaceholders(text) : ExpandIniPlaceholders(text)) : nullptr;
    return text ? static_cast<int>(std::strlen(text)) : -1;
}

// Lines a registry export holds that are no string value, skipped as intended.
bool IsExportSyntax(const char* line) {
    return line[0] == '[' || line[0] == '@' || !std::strcmp(line, "REGEDIT4") ||
           !std::strncmp(line, "Windows Registry Editor", 23);
}

void CheckTransferLine(const char* line, int lineNumber, bool reg, Findings& f) {
    char first[kTransferTextSize], second[kTransferTextSize];
    std::string shown = ShowName(line);
    int split = reg ? SplitRegLine(line, first, second) : SplitIniLine(line, first, second);
    if (split == kSplitNoSeparator) {
        if (!reg)
            f.Warn(lineNumber, "[ini] line '%s' has no '=': the installer skips it", shown.c_str());
        else if (!IsExportSyntax(line))
            f.Warn(lineNumber, "[reg] line '%s' is no \"name\"=\"data\" string value: the installer skips it",
                   shown.c_str());
        return;
    }
    if (!MbsStr(line, "REP_INSTALL"))
        return;
    int room = static_cast<int>(kTransferTextSize) - 1 - ExpandedLength(line, reg);
    if (room < kLongestFolder)
        f.Warn(lineNumber, "with an install folder longer than %d bytes this line passes 511 bytes and the "
                           "installer skips it", room < 0 ? 0 : room);
}

void CheckTransferLines(const EnvParse& env, Findings& f) {
    SetPlaceholderInstallPath("");
    SetCdromRootOverride("E:\\");  // every drive root is 3 bytes
    for (int state : {kIniSection, kRegSection}) {
        std::vector<int> lines = SectionEntryLines(env, state);
        size_t index = 0;
        for (const SectionLine* l = SectionListOf(state); l; l = l->next, ++index)
            CheckTransferLine(l->text, index < lines.size() ? lines[index] : 0, state == kRegSection, f);
    }
    SetCdromRootOverride(nullptr);
}

void CheckSections(const EnvParse& env, Findings& f) {
    if (env.sectionPass.openSection == kNoSection)
        return;
    f.Error(PhysicalLine(env, env.sectionPass.headLine),
            "[%s] is never closed by a line beginning with '-'; the installer would refuse to start with \"%s\"",
            SectionName(env.sectionPass.openSection), ShowName(env.error).c_str());
}

// Windows finds names without regard to ASCII case; so does this.
bool GameFileExists(const std::string& gameDir, const std::string& sjisName) {
    std::string name = SjisToUtf8(sjisName).value_or(sjisName);
    std::string at = gameDir;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("\\/", start);
        std::string part = name.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? name.size() + 1 : end + 1;
        if (part.empty())
            continue;
        std::vector<DiskItem> items;
        std::string error;
        if (!ListFolder(at, items, error))
            return false;
        auto match = std::find_if(items.begin(), items.end(),
                                  [&](const DiskItem& item) { return strcasecmp(item.name.c_str(), part.c_str()) == 0; });
        if (match == items.end())
            return false;
        at = JoinPath(at, match->name);
    }
    return KindOf(at) == ItemKind::File;
}

const SettingEntry* FirstEntry(const char* key) {
    for (const SettingEntry* e = FirstSettingEntry(); e; e = e->next) {
        if (!std::strcmp(e->key, key))
            return e;
    }
    return nullptr;
}

void RequireGameFile(const EnvParse& env, const std::string& gameDir, const char* key, const std::string& name,
                     Findings& f) {
    if (GameFileExists(gameDir, name))
        return;
    const SettingEntry* e = FirstEntry(key);
    f.Warn(e ? PhysicalLine(env, e->line) : 0, "%s%s names '%s', which %s lacks", key, e ? "" : " (by default)",
           ShowName(name).c_str(), gameDir.c_str());
}

void CheckGameFiles(const EnvParse& env, const std::string& gameDir, Findings& f) {
    RequireGameFile(env, gameDir, "EXENAME", GetExeName(), f);
    const SettingEntry* readme = FirstEntry("INSTREADME");
    // A value starting with "-" marks a setting that is not used.
    if (const SettingEntry* file = FirstEntry("INSTREADMEFL")) {
        if (file->value[0] != '-')
            RequireGameFile(env, gameDir, "INSTREADMEFL", file->value, f);
    } else if (readme && readme->value[0] != '-')
        RequireGameFile(env, gameDir, "INSTREADMEFL", "readme.txt", f);
    if (const SettingEntry* help = FirstEntry("HELP_FILE"); help && help->value[0] != '-')
        RequireGameFile(env, gameDir, "HELP_FILE", help->value, f);
    if (!GameFileExists(gameDir, "UnInst.exe"))
        f.Note(0, "%s has no UnInst.exe; pack adds ours (beside --stub, or --uninstaller FILE) or ships none "
                  "with --no-uninstaller", gameDir.c_str());
}

// Shown one by one up to this many; a game without [delfiles] would
// otherwise print its whole file list.
constexpr size_t kUncoveredShown = 20;

// What an uninstall would do with the game's files: refused entries,
// [delfiles] entries that match nothing, files no entry covers.
void CheckDelFiles(const EnvParse& env, const std::string& gameDir, Findings& f) {
    // The game as installed: with the UnInst.exe that pack adds when it has none.
    FolderLister list = [folder = GameFolderLister(gameDir), added = !GameFileExists(gameDir, "UnInst.exe")](
                            const std::string& at, std::vector<FolderItem>& items) {
        bool ok = folder(at, items);
        if (ok && added && at.empty())
            items.push_back({"UnInst.exe", false});
        return ok;
    };
    RemovalPlan plan;
    const struct {
        int state;
        const SectionLine* lines;
    } sections[] = {{kDelFilesSection, DelFilesList}, {kDelFilesUserSection, DelFilesUserList}};
    for (const auto& section : sections) {
        std::vector<int> lines = SectionEntryLines(env, section.state);
        size_t index = 0;
        for (const SectionLine* line = section.lines; line; line = line->next, ++index) {
            int at = index < lines.size() ? lines[index] : 0;
            char entry[kDelPathSize];
            DelEntryVerdict verdict = ParseDelEntry(line->text, entry);
            if (verdict != DelEntryVerdict::Ok && verdict != DelEntryVerdict::Blank)
                f.Warn(at, "[%s] entry '%s' is refused (%s); the uninstaller skips it", SectionName(section.state),
                       ShowName(line->text).c_str(), DescribeDelVerdict(verdict));
            else if (verdict == DelEntryVerdict::Ok && section.state == kDelFilesSection &&
                     MatchDelEntry(entry, list).empty())
                f.Warn(at, "[delfiles] entry '%s' matches no file of %s", ShowName(entry).c_str(), gameDir.c_str());
        }
        AddSectionToPlan(section.lines, list, plan);
    }
    std::set<std::string> covered(plan.files.begin(), plan.files.end());
    std::vector<std::string> left;
    for (const std::string& file : ListTree(list).files) {
        // The uninstaller removes its own program whatever the entries say.
        if (!covered.count(file) && strcasecmp(file.c_str(), "UnInst.exe") != 0)
            left.push_back(file);
    }
    for (size_t i = 0; i < left.size() && i < kUncoveredShown; ++i)
        f.Warn(0, "'%s' is in no [delfiles] entry: an uninstall would leave it behind", ShowName(left[i]).c_str());
    if (left.size() > kUncoveredShown)
        f.Warn(0, "%zu more files are in no [delfiles] entry; 'varnok-pack env delfiles %s' lists every file",
               left.size() - kUncoveredShown, gameDir.c_str());
}

// What pack refuses in the folder itself: names, links, the picture.
void CheckGameFolder(const std::string& gameDir, Findings& f) {
    std::vector<GameEntry> entries;
    std::vector<std::string> notes;
    std::string error;
    bool scanned = ScanGameFolder(gameDir, std::nullopt, entries, error, &notes);
    for (const std::string& note : notes)
        f.Note(0, "%s", note.c_str());
    if (!scanned) {
        f.Error(0, "%s", error.c_str());
        return;
    }
    // The scan found it at the top, in whatever case.
    auto picture = std::find_if(entries.begin(), entries.end(),
                                [](const GameEntry& e) { return !strcasecmp(e.archiveName.c_str(), "insttscr.rct"); });
    std::string why;
    PictureVerdict verdict = CheckLauncherPicture(picture->path, why);
    if (verdict == PictureVerdict::Broken)
        f.Error(0, "%s: %s", picture->path.c_str(), why.c_str());
    else if (verdict == PictureVerdict::Smaller)
        f.Warn(0, "%s: %s", picture->path.c_str(), why.c_str());
}

void CheckFile(const EnvParse& env, const char* gameDir, Findings& f) {
    CheckEncoding(env, f);
    CheckEntries(env, f);
    CheckLineLimit(env, f);
    CheckSections(env, f);
    CheckTransferLines(env, f);
    if (gameDir) {
        CheckGameFolder(gameDir, f);
        CheckGameFiles(env, gameDir, f);
        CheckDelFiles(env, gameDir, f);
    }
}

}  // namespace

EnvVerdict CheckEnv(const EnvParse& env, const std::string& path, const char* gameDir, FILE* out) {
    Findings f(path);
    if (env.readable)
        CheckFile(env, gameDir, f);
    else
        f.Error(0, "cannot be read: the installer would stop with \"%s\"", ShowName(env.error).c_str());
    f.Print(out);
    return f.verdict();
}

EnvVerdict CheckGameSettings(const std::string& gameDir, FILE* out) {
    std::string path = JoinPath(gameDir, "install.env");
    return CheckEnv(ParseEnvFile(path), path, gameDir.c_str(), out);
}
