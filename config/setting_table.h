// The setting table of install.env: key/value lines with defaults.
//
// The key pass reads at most kSettingLineLimit lines (a line longer than
// 511 bytes arrives in pieces, each counted and parsed as a line) and stops
// at a line beginning with "[EOF]". Lines beginning with a blank byte
// (0x00-0x20) or '/' are skipped. The key is the first word, the value the
// next one when it starts within 100 bytes of the key's end; '|' in a value
// reads as a space. The first entry of a key wins; keys are case-sensitive.
#pragma once

#include <cstddef>
#include <cstdio>

constexpr int kSettingLineLimit = 400;
constexpr int kSettingLineSize = 512;
constexpr size_t kSettingValueSize = 128;
constexpr size_t kWindowTitleSize = 256;

struct SettingEntry {
    char* key;
    char* value;  // never empty
    int line;     // the line (or line piece) it came from, counted from 1
    SettingEntry* next;
};

// Why a key pass ended.
enum class SettingPassEnd { EndOfFile, EofMark, LineLimit };

struct SettingPassResult {
    SettingPassEnd end;
    int lines;  // lines read and parsed; the one that ended the pass not counted
};

// Called for each line that gives an entry. key and value live only during
// the call; '|' is already a space in value.
using SettingEntrySink = void (*)(void* context, int line, const char* key, const char* value);

// The key pass over an open file: reads up to maxLines lines.
SettingPassResult ReadSettingLines(FILE* file, int maxLines, SettingEntrySink sink, void* context);

// Loads the table from the file (through the file locator); the first call
// registers FreeSettingTable at process exit. 0 once read, -1 without a file.
int LoadSettingTable(const char* fileName);

// Appends the entries of an open file to the table (the key pass with the
// line limit).
SettingPassResult LoadSettingTableFrom(FILE* file);

// Frees every entry and forgets the values the accessors have read.
void FreeSettingTable();
// The accessors' half of FreeSettingTable: back to "not read yet".
void ForgetSettingAccessors();

// The table's first entry, in file order.
const SettingEntry* FirstSettingEntry();

// The value of the first entry with the key, as atoi converts it; def when absent.
int FindSettingInt(const char* key, int def);

// Copies the value of the first entry with the key (or def when absent) into
// out[capacity], always NUL-terminated; a longer text is cut at a character
// boundary. def may be out itself. Returns out.
char* FindSettingText(const char* key, char* out, size_t capacity, const char* def);

// Read once: looked up on the first call, kept for the run.
const char* GetRegGlobal();   // REG_GLOBAL, "-" by default
const char* GetRegLocal();    // REG_LOCAL, "-" by default
const char* GetIniFile();     // INI_FILE, "-" by default
const char* GetIniSection();  // INI_SECTION, "-" by default
int GetInstMakeFol();         // INSTMAKEFOL, 0 by default; a stored -1 is looked up again

// Looked up on every call.
const char* GetTitleBar();     // TITLEBAR, "ＶＡＲＮＯＫ アプリケーション" by default
const char* GetWindowTitle();  // "<TITLEBAR> スタートアップ": window title and mutex name
const char* GetInstGroup();    // INST_GROUP, null when absent
const char* GetInstTo();       // INSTTO, "VARNOK_APP" by default
const char* GetInstFol();      // INSTFOL, null when absent
const char* GetExeName();      // EXENAME, "varnok.exe" by default

// What start-up shows when the settings file cannot be found:
// "起動に必要なファイルが不足しています。\nインストールの異常終了、…確認してください。"
extern const char kSettingsFileMissingText[];

// Every key the program reads, with the smallest buffer any reader copies
// its value into (0 for a number).
struct SettingKeyUse {
    const char* key;
    size_t capacity;
};
extern const SettingKeyUse kSettingKeysRead[];
extern const size_t kSettingKeysReadCount;
