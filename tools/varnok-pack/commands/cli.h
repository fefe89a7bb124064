// What the sub-commands share: exit codes, option values, error output and
// the display of archive names.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;  // the work failed: bad archive, unreadable file, refused input
constexpr int kExitUsage = 2;    // the command line is wrong

// A decimal integer in [min, max]; false for anything else.
bool ParseIntOption(const char* text, int min, int max, int& value);

// The number of processors this process may run on.
int DefaultJobs();

// printf into `out` through WriteText: on a Windows console the UTF-8 text
// is shown as such.
void PrintText(FILE* out, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));

// Prints "varnok-pack COMMAND: message" to stderr.
void PrintError(const char* command, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));

// PrintError plus a hint at --help; returns kExitUsage.
int UsageError(const char* command, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));

// getopt_long's verdict on an unknown option or a missing value, as a
// UsageError. `argv` and `optind` are those getopt_long just used.
int BadOption(const char* command, char** argv);

// The command line of list, verify and extract: --help, --jobs when `jobs`
// is given, and exactly `operands` operands, left in operands[]. Returns -1
// to go on, otherwise the exit code (0 after --help).
int ParseArchiveCommand(const char* command, const char* help, int argc, char** argv, int operandCount,
                        const char** operands, int* jobs);

// An archive name for the terminal: its UTF-8 form, or the bytes with those
// that are not printable ASCII escaped as \xNN when it has none.
std::string ShowName(std::string_view sjis);
