#include "config/setting_table.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "resfile/file_locator.h"
#include "shell/alloc.h"
#include "shell/mbtext.h"

// 起動に必要なファイルが不足しています。\nインストールの異常終了、起動するフォルダ異常、等を確認してください。
const char kSettingsFileMissingText[] =
    "\x8b\x4e\x93\xae\x82\xc9\x95\x4b\x97\x76\x82\xc8\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x95\x73\x91\xab\x82\xb5"
    "\x82\xc4\x82\xa2\x82\xdc\x82\xb7\x81\x42\n"
    "\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x82\xcc\x88\xd9\x8f\xed\x8f\x49\x97\xb9\x81\x41\x8b\x4e\x93\xae"
    "\x82\xb7\x82\xe9\x83\x74\x83\x48\x83\x8b\x83\x5f\x88\xd9\x8f\xed\x81\x41\x93\x99\x82\xf0\x8a\x6d\x94\x46\x82\xb5"
    "\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81\x42";

namespace {

SettingEntry* gHead = nullptr;
SettingEntry** gTail = &gHead;

using LineBuffer = char[kSettingLineSize];

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 0x20; }

// '|' is the file's way to write a space; a '|' byte that is the second
// byte of a double-byte character (0x83 0x7C) stays.
void BarsToSpaces(char* value) {
    for (char* p = value; *p; p = const_cast<char*>(MbsInc(p))) {
        if (*p == '|')
            *p = ' ';
    }
}

// Splits a zero-filled line buffer in place. The value must start within the
// 100 bytes that begin at the NUL ending the key; anything after it is a comment.
bool SplitSettingLine(LineBuffer& line, const char*& key, char*& value) {
    if (IsBlank(line[0]) || line[0] == '/')
        return false;
    for (char& c : line) {
        if (IsBlank(c))
            c = '\0';
    }
    key = line;
    size_t keyEnd = std::strlen(line);
    size_t windowEnd = keyEnd + 100 < sizeof(LineBuffer) ? keyEnd + 100 : sizeof(LineBuffer);
    for (size_t i = keyEnd; i < windowEnd; ++i) {
        if (line[i] != '\0') {
            value = line + i;
            BarsToSpaces(value);
            return true;
        }
    }
    return false;
}

char* CopyToHeap(const char* text) {
    size_t size = std::strlen(text) + 1;
    auto* copy = static_cast<char*>(AllocOrReport(size));
    std::memcpy(copy, text, size);
    return copy;
}

void AppendEntry(void*, int line, const char* key, const char* value) {
    auto* entry = static_cast<SettingEntry*>(AllocOrReport(sizeof(SettingEntry)));
    *entry = {CopyToHeap(key), CopyToHeap(value), line, nullptr};
    *gTail = entry;
    gTail = &entry->next;
}

const SettingEntry* FindEntry(const char* key) {
    for (const SettingEntry* e = gHead; e; e = e->next) {
        if (!std::strcmp(e->key, key))
            return e;
    }
    return nullptr;
}

}  // namespace

SettingPassResult ReadSettingLines(FILE* file, int maxLines, SettingEntrySink sink, void* context) {
    LineBuffer line;
    int count = 0;
    while (count < maxLines) {
        std::memset(line, 0, sizeof line);
        if (!std::fgets(line, sizeof line, file))
            return {SettingPassEnd::EndOfFile, count};
        if (!std::memcmp(line, "[EOF]", 5))
            return {SettingPassEnd::EofMark, count};
        ++count;
        const char* key;
        char* value;
        if (SplitSettingLine(line, key, value))
            sink(context, count, key, value);
    }
    return {SettingPassEnd::LineLimit, count};
}

SettingPassResult LoadSettingTableFrom(FILE* file) {
    return ReadSettingLines(file, kSettingLineLimit, AppendEntry, nullptr);
}

int LoadSettingTable(const char* fileName) {
    static bool freeRegistered = false;
    if (!freeRegistered) {
        std::atexit(FreeSettingTable);
        freeRegistered = true;
    }
    FILE* file = OpenResourceFile(fileName, "rt");
    if (!file)
        return -1;
    LoadSettingTableFrom(file);
    std::fclose(file);
    return 0;
}

void FreeSettingTable() {
    SettingEntry* e = gHead;
    gHead = nullptr;
    gTail = &gHead;
    while (e) {
        SettingEntry* next = e->next;
        std::free(e->key);
        std::free(e->value);
        std::free(e);
        e = next;
    }
    ForgetSettingAccessors();
}

const SettingEntry* FirstSettingEntry() { return gHead; }

// strtol rather than atoi: the same digits, without undefined behaviour on
// overflow (clamped to the int range).
int FindSettingInt(const char* key, int def) {
    const SettingEntry* e = FindEntry(key);
    if (!e)
        return def;
    long v = std::strtol(e->value, nullptr, 10);
    return v > INT_MAX ? INT_MAX : v < INT_MIN ? INT_MIN : static_cast<int>(v);
}

// A cut never splits a double-byte character: a lone lead byte before the
// NUL would make multibyte scanners step past the end.
char* FindSettingText(const char* key, char* out, size_t capacity, const char* def) {
    const SettingEntry* e = FindEntry(key);
    if (e) {
        CopyText(out, capacity, e->value);
    } else if (def == out) {
        std::string kept(out);
        CopyText(out, capacity, kept.c_str());
    } else {
        CopyText(out, capacity, def);
    }
    return out;
}
