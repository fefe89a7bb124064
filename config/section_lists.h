// The four line sections of install.env: [delfiles], [delfiles_user], [ini], [reg].
//
// The section pass reads the whole file (it does not stop at "[EOF]"), line
// by line with trailing blanks removed. In this order: empty lines and lines
// beginning with "//" or ";" are skipped, "EOF" ends the pass, "-" closes the
// open section, a head opens its section and empties its list; any other line
// is appended to the open section's list, or ignored when none is open.
#pragma once

#include <cstdio>

struct SectionLine {
    char* text;
    SectionLine* next;
};

// Section states; also index the lists and their names.
enum SectionState : int { kNoSection = 0, kDelFilesSection, kDelFilesUserSection, kIniSection, kRegSection };
constexpr int kSectionCount = 4;

extern SectionLine* DelFilesList;
extern SectionLine* DelFilesUserList;
extern SectionLine* IniList;
extern SectionLine* RegList;

// The list head of a section state 1-4.
SectionLine*& SectionListOf(int state);
// "delfiles", "delfiles_user", "ini", "reg" for states 1-4.
const char* SectionName(int state);

// The two messages that end the program: "[%s]ファイルを開けませんでした。"
// with the file name, "[設定.env]の[%s]が終了していません" with a section name.
extern const char kSectionOpenFailedFormat[];
extern const char kSectionUnclosedFormat[];

// fgets, then trailing blank bytes (0x00-0x20) removed; null at end of file.
char* ReadTrimmedLine(char* buffer, int size, FILE* file);

// Empties the list (head first set to none), freeing every node.
void ClearSectionList(SectionLine*& list);
// Appends a copy of the text at the list's tail.
void AppendSectionLine(SectionLine*& list, const char* text);

enum class SectionLineKind { Skipped, Stop, Close, Head, Entry, Outside };

// Called for every line the pass reads: its number (pieces of long lines
// counted like lines), what it was taken for, and the state after it.
using SectionLineObserver = void (*)(void* context, int line, SectionLineKind kind, int state);

struct SectionPassResult {
    int openSection;  // kNoSection when every section was closed
    int headLine;     // the line that opened it
};

// The section pass over an open file, filling the lists.
SectionPassResult ReadSectionLists(FILE* file, SectionLineObserver observer, void* context);

// Opens the file in the current folder and reads the sections. When the
// file does not open or leaves a section open it reports with a Retry/Cancel
// box and ends the process with exit code -1 whichever is chosen.
void LoadSectionLists(const char* fileName);
