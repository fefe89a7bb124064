// What the install writes around its folder, worked out without touching the
// system: the write-probe file, the access batch and the uninstall entry.
// The Windows side (registration_win.cpp) writes exactly these; varnok-pack
// shows them.
#pragma once

#include <cstddef>

// Created empty in the install folder and deleted at once.
extern const char kProbeFileName[];      // "UserAccountCheck.id"
// The access batch, in the user's temp folder.
extern const char kAccessBatchName[];    // "Pelladrover_fullaccess.bat"
// HKEY_LOCAL_MACHINE key of the uninstall entry, "%s" the title.
extern const char kUninstallKeyFormat[];  // "SOFTWARE\\...\\Uninstall\\RuRid%s"

constexpr size_t kUninstallKeySize = 512;
constexpr size_t kUninstallCommandSize = 508;
constexpr size_t kAccessBatchTextSize = 1024;

// folder + "\\" + name into out[capacity]; false (out empty) when it does
// not fit, so no cut path is ever used.
bool JoinFolderFile(char* out, size_t capacity, const char* folder, const char* name);

// out[capacity] := path with its extension replaced by "." + extension
// (a name ending in "." loses that dot first). False, out empty, when the
// result does not fit.
bool ReplaceExtension(char* out, size_t capacity, const char* path, const char* extension);

// The uninstall entry: its key name, and its command line, the uninstaller's
// path in double quotes so that a folder with spaces cannot start another
// program. False when the text does not fit its buffer.
bool FormatUninstallKey(char* out, size_t capacity, const char* title);
bool FormatUninstallCommand(char* out, size_t capacity, const char* installFolder);

// The batch's three lines (LF-ended; text mode writes CR LF): cacls gives
// Everyone full control of the install folder, then the batch deletes its
// ".pif" twin and itself. False when the text does not fit.
bool FormatAccessBatch(char* out, size_t capacity, const char* installFolder, const char* batchPath);
