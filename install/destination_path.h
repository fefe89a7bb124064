// The destination folder's text: the proposal, the folder picker's result
// and the normalisation on OK, over 260-byte path buffers (259 bytes and
// the NUL). Nothing here asks Windows: the Windows directory comes in.
#pragma once

#include <cstddef>

#include "shell/path_size.h"

// The settings the folder rules use.
struct DestinationSettings {
    const char* windowsDir;  // as GetWindowsDirectoryA gives it
    const char* instFol;     // INSTFOL, null when absent
    const char* instTo;      // INSTTO
    int makeFol;             // INSTMAKEFOL
};

enum class FolderVerdict {
    Accepted,
    Network,  // a double backslash: a network path
    Root,     // a drive root
    TooLong,  // the composed path would pass 259 bytes
};

// The box text of a refusal (null for Accepted):
// "ネットワークドライブには対応していません。\nローカルドライブを選択して下さい。",
// "ルートにはインストールできません",
// "インストール先フォルダのパスが長すぎます。\n短いフォルダを指定して下さい。".
const char* RefusalText(FolderVerdict verdict);

// The proposal: the Windows directory's drive root (up to its first
// backslash), "Program Files\\", INSTFOL and "\\" when present, INSTTO.
FolderVerdict ComposeDefaultFolder(const DestinationSettings& settings, char* out);

// After a pick in the folder picker: the picked folder, INSTFOL below it
// unless the folder already holds that name, and always INSTTO.
FolderVerdict ComposeBrowsedFolder(const DestinationSettings& settings, const char* picked, char* out);

// The edit field's text as OK takes it, in place: '/' becomes '\\'; a
// double backslash (unless its first byte is a double-byte character's
// second) is refused as a network path; a final backslash goes; with
// INSTMAKEFOL the maker's and game's folders are added to a text lacking
// INSTTO; a missing drive is the Windows directory's, with a backslash after
// its ':'; a drive root is refused. Not Accepted leaves the text undefined.
FolderVerdict NormaliseDestination(const DestinationSettings& settings, char* text);

// The first n levels of path into out[kPathSize]: for C:\A\B, "C:", "C:\A"
// and "C:\A\B" for n = 1, 2, 3 (and any larger n). A double-byte character
// counts as one; a leading backslash is no empty level.
void PathPrefix(const char* path, char* out, int n);
