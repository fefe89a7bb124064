#include "config/section_lists.h"

#include <cstdlib>
#include <cstring>

#include "shell/alloc.h"
#include "shell/messages.h"

SectionLine* DelFilesList = nullptr;
SectionLine* DelFilesUserList = nullptr;
SectionLine* IniList = nullptr;
SectionLine* RegList = nullptr;

// [%s]ファイルを開けませんでした。
const char kSectionOpenFailedFormat[] =
    "[%s]\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xf0\x8a\x4a\x82\xaf\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd"
    "\x81\x42";
// [設定.env]の[%s]が終了していません
const char kSectionUnclosedFormat[] =
    "[\x90\xdd\x92\xe8.env]\x82\xcc[%s]\x82\xaa\x8f\x49\x97\xb9\x82\xb5\x82\xc4\x82\xa2\x82\xdc\x82\xb9\x82\xf1";

namespace {

constexpr int kLineSize = 512;

// Heads in state order. "[delfiles]" does not match "[delfiles_user]": its
// tenth byte is ']', not '_'.
constexpr const char* kHeads[kSectionCount + 1] = {nullptr, "[delfiles]", "[delfiles_user]", "[ini]", "[reg]"};
constexpr const char* kNames[kSectionCount + 1] = {nullptr, "delfiles", "delfiles_user", "ini", "reg"};

bool BeginsWith(const char* line, const char* prefix) { return !std::strncmp(line, prefix, std::strlen(prefix)); }

// What a trimmed line is, tested in the file's order; for a head, *head is its state.
SectionLineKind ClassifyLine(const char* line, int* head) {
    if (line[0] == '\0' || BeginsWith(line, "//") || BeginsWith(line, ";"))
        return SectionLineKind::Skipped;
    if (BeginsWith(line, "EOF"))
        return SectionLineKind::Stop;
    if (BeginsWith(line, "-"))
        return SectionLineKind::Close;
    for (int state = 1; state <= kSectionCount; ++state) {
        if (BeginsWith(line, kHeads[state])) {
            *head = state;
            return SectionLineKind::Head;
        }
    }
    return SectionLineKind::Entry;
}

SectionLine**& TailOf(SectionLine**& link) {
    while (*link)
        link = &(*link)->next;
    return link;
}

// Links a copy of the text at *tail and moves tail behind it.
void AppendAtTail(SectionLine**& tail, const char* text) {
    size_t size = std::strlen(text) + 1;
    auto* node = static_cast<SectionLine*>(AllocOrReport(sizeof(SectionLine)));
    node->text = static_cast<char*>(AllocOrReport(size));
    std::memcpy(node->text, text, size);
    node->next = nullptr;
    *tail = node;
    tail = &node->next;
}

[[noreturn]] void FailSectionPass(const char* format, const char* argument) {
    ShowRetryCancelError(format, argument);
    std::exit(-1);
}

}  // namespace

SectionLine*& SectionListOf(int state) {
    switch (state) {
    case kDelFilesSection:
        return DelFilesList;
    case kDelFilesUserSection:
        return DelFilesUserList;
    case kIniSection:
        return IniList;
    default:
        return RegList;
    }
}

const char* SectionName(int state) { return state >= 1 && state <= kSectionCount ? kNames[state] : ""; }

char* ReadTrimmedLine(char* buffer, int size, FILE* file) {
    if (!std::fgets(buffer, size, file))
        return nullptr;
    size_t len = std::strlen(buffer);
    while (len > 0 && static_cast<unsigned char>(buffer[len - 1]) <= 0x20)
        buffer[--len] = '\0';
    return buffer;
}

void ClearSectionList(SectionLine*& list) {
    SectionLine* node = list;
    list = nullptr;
    while (node) {
        SectionLine* next = node->next;
        std::free(node->text);
        std::free(node);
        node = next;
    }
}

void AppendSectionLine(SectionLine*& list, const char* text) {
    SectionLine** tail = &list;
    AppendAtTail(TailOf(tail), text);
}

SectionPassResult ReadSectionLists(FILE* file, SectionLineObserver observer, void* context) {
    // Tails kept per list, so that a long section is not walked for every line.
    SectionLine** tails[kSectionCount + 1] = {};
    for (int state = 1; state <= kSectionCount; ++state)
        TailOf(tails[state] = &SectionListOf(state));
    char line[kLineSize];
    SectionPassResult result = {kNoSection, 0};
    for (int number = 1; ReadTrimmedLine(line, sizeof line, file); ++number) {
        int head = kNoSection;
        SectionLineKind kind = ClassifyLine(line, &head);
        if (kind == SectionLineKind::Close) {
            result.openSection = kNoSection;
        } else if (kind == SectionLineKind::Head) {
            ClearSectionList(SectionListOf(head));
            tails[head] = &SectionListOf(head);
            result = {head, number};
        } else if (kind == SectionLineKind::Entry) {
            if (result.openSection != kNoSection)
                AppendAtTail(tails[result.openSection], line);
            else
                kind = SectionLineKind::Outside;
        }
        if (observer)
            observer(context, number, kind, result.openSection);
        if (kind == SectionLineKind::Stop)
            break;
    }
    return result;
}

void LoadSectionLists(const char* fileName) {
    FILE* file = std::fopen(fileName, "rt");
    if (!file)
        FailSectionPass(kSectionOpenFailedFormat, fileName);
    SectionPassResult result = ReadSectionLists(file, nullptr, nullptr);
    std::fclose(file);
    if (result.openSection != kNoSection)
        FailSectionPass(kSectionUnclosedFormat, SectionName(result.openSection));
}
