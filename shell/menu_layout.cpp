#include "shell/menu_layout.h"

#include <cstdio>
#include <cstring>

#include "shell/launch.h"
#include "shell/mbtext.h"

namespace {

// 終了
constexpr char kExitText[] = "\x8f\x49\x97\xb9";
// DirectXインストール
constexpr char kDirectXText[] = "DirectX\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b";
// インストール
constexpr char kInstallText[] = "\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b";

// "<folder>\DirectX" and, when it is a folder, its set-up program; false
// when either path would not fit or the set-up could not be started quoted.
bool TryDirectXFolder(const char* folder, size_t folderLength, FolderTest isFolder, char (&setup)[260]) {
    int n = std::snprintf(setup, sizeof setup, "%.*s\\DirectX", static_cast<int>(folderLength), folder);
    if (n < 0 || static_cast<size_t>(n) >= sizeof setup || !isFolder(setup))
        return false;
    constexpr char kProgram[] = "\\dxsetup.exe";
    if (static_cast<size_t>(n) + sizeof kProgram - 1 > kQuotedPathLimit)
        return false;
    std::memcpy(setup + n, kProgram, sizeof kProgram);
    return true;
}

// Length of the program path's folder part: up to its last backslash that
// is not the second byte of a double-byte character.
size_t FolderPartLength(const char* path) {
    const char* last = nullptr;
    for (const char* p = path; *p; p = MbsInc(p)) {
        if (*p == '\\')
            last = p;
    }
    return last ? static_cast<size_t>(last - path) : 0;
}

}  // namespace

MenuColumn LayoutMenuColumn(bool hasDirectX, const char* readmeLabel) {
    MenuColumn column = {};
    int next = 0;
    column.slots[next++] = {MenuAction::Exit, kExitText};
    if (hasDirectX)
        column.slots[next++] = {MenuAction::DirectX, kDirectXText};
    if (readmeLabel[0] != '-')
        column.slots[next++] = {MenuAction::Readme, readmeLabel};
    column.slots[next++] = {MenuAction::Install, kInstallText};
    for (; next < kMenuSlotCount; ++next)
        column.slots[next] = {MenuAction::None, nullptr};
    return column;
}

int MenuSlotForCommand(uintptr_t wParam) {
    if (wParam < static_cast<uintptr_t>(kMenuFirstSlotId) || wParam >= static_cast<uintptr_t>(kMenuFirstSlotId + kMenuSlotCount))
        return -1;
    return static_cast<int>(wParam - kMenuFirstSlotId);
}

PicturePosition MenuPicturePosition(int32_t clientTop, int32_t clientBottom, int32_t width, int32_t height) {
    int32_t clientHeight = clientBottom - clientTop;
    return {(clientHeight - width) / 2, (clientHeight - height) / 2};
}

bool FindDirectXSetup(const char* workFolder, const char* programPath, FolderTest isFolder, char (&setup)[260]) {
    if (TryDirectXFolder(workFolder, std::strlen(workFolder), isFolder, setup))
        return true;
    size_t folder = FolderPartLength(programPath);
    if (folder > 0 && TryDirectXFolder(programPath, folder, isFolder, setup))
        return true;
    setup[0] = '\0';
    return false;
}
