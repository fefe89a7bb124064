// The run's private WorkFolder under the user's temp path, and the file scan
// that empties it.
#pragma once

#include <cstdint>

// "VezuDURuvedarOvurod_%09d" of the tick count taken as signed 32-bit; the
// buffer needs 32 bytes.
void FormatWorkFolderName(char* name, uint32_t ticks);

// Remembers the current directory, creates a new WorkFolder (when the name
// is taken, the next number) and makes it current.
void CreateWorkFolder();
// Full path of the WorkFolder, no trailing backslash; empty before CreateWorkFolder.
const char* GetWorkFolderPath();
// Restores the remembered directory, deletes the WorkFolder's plain files and
// the folder. A subfolder or an undeletable file leaves the folder in place.
// Harmless when repeated.
void RemoveWorkFolder();

// Deletes the plain files in `folder` that match `pattern`. Does nothing when
// the folder cannot be entered.
void DeleteFolderFiles(const char* folder, const char* pattern);

// One scan at a time for the whole process. BeginFileScan: 0 when the pattern
// has a first match, 1 when none. NextScannedFile: the next plain file as the
// pattern's folder part joined with its name, or nullptr when exhausted;
// the buffer is rewritten by every call.
int BeginFileScan(const char* pattern);
const char* NextScannedFile();
