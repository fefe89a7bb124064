// Placeholder substitution and the splitting of [ini] and [reg] lines.
//
// REP_CDROMDRIVE ([ini] lines) and REP_CDROM ([reg] lines) stand for the
// first CD-ROM drive's root, REP_INSTALL for the install folder. Only the
// first occurrence of each is replaced, matched byte-exact at a character
// boundary. Since REP_CDROM begins REP_CDROMDRIVE, a [reg] line written with
// the longer name gets the root followed by "DRIVE".
#pragma once

#include <cstddef>

constexpr size_t kTransferTextSize = 512;  // expansions and the split outputs
constexpr size_t kUnescapeTextSize = 520;

// What the split functions give: 0 with both outputs written; otherwise
// nothing is written.
constexpr int kSplitDone = 0;
constexpr int kSplitNoSeparator = -1;  // not a line of this kind
constexpr int kSplitTooLong = -2;      // the expanded line does not fit 511 bytes

// The folder REP_INSTALL stands for (copied, at most 259 bytes); empty until set.
void SetPlaceholderInstallPath(const char* path);
const char* GetPlaceholderInstallPath();

// The CD-ROM root the expansions use: the drive search (FindCdromRoot) while
// none is given; tests and varnok-pack give a fixed root, or null to search.
void SetCdromRootOverride(const char* root);
// The drive search itself, for tests; null restores FindCdromRoot.
using CdromSearch = const char* (*)();
void SetCdromSearch(CdromSearch search);

// GetDriveTypeA's answer for a root such as "D:\\"; 5 is a CD-ROM drive.
constexpr unsigned kDriveTypeCdrom = 5;
using DriveTypeQuery = unsigned (*)(const char* root);
// Asks about "A:\\" to "Z:\\" in turn: the first CD-ROM drive's root, or
// "E:\\" when there is none. The text stays valid until the next call.
const char* FindCdromRootWith(DriveTypeQuery driveType);

// The line with its placeholders replaced, in the function's own 512-byte
// text (valid until its next call); null when the result would not fit.
const char* ExpandIniPlaceholders(const char* line);
const char* ExpandRegPlaceholders(const char* line);

// A backslash takes the byte after it literally ("\\\\" is one backslash,
// "\\\"" a quote); a final lone backslash is dropped; a 0x5C second byte of a
// double-byte character is no backslash. Own 520-byte text; null when the
// line does not fit it.
const char* UnescapeRegText(const char* line);

// key=value: the expanded line cut at its first '='; nothing trimmed.
// keyOut and valueOut hold kTransferTextSize bytes each.
int SplitIniLine(const char* line, char* keyOut, char* valueOut);

// "name"="data" as a registry export writes it: unescaped, then expanded;
// the name runs from the second byte to the first quote-equals-quote, the
// data after it without its last byte. Lines without that separator
// (headers, [key] lines, @ defaults, dword values) do not split.
// nameOut and dataOut hold kTransferTextSize bytes each.
int SplitRegLine(const char* line, char* nameOut, char* dataOut);
