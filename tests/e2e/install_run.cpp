#include "tests/e2e/install_run.h"

namespace {

constexpr DWORD kExitTimeoutMs = 600000;
// "インストール"
constexpr char kInstallButtonText[] = "\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b";
constexpr int kFolderEditId = 1000;
constexpr int kShortcutBoxId = 1007;
constexpr int kEndReadmeBoxId = 1007;
constexpr int kEndRunBoxId = 1009;

HWND ButtonWithText(HWND dialog, const std::string& text) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child) && WindowText(child) == text)
            return child;
    }
    return nullptr;
}

bool Ticked(HWND box) { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// The copy step's wall time: from the copy window's appearing to its going,
// each seen within one poll.
double TimeCopyWindow(Launcher& launcher) {
    HWND copy = launcher.WaitForDialog(E2E_COPY_TITLE);
    if (!copy)
        return 0;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!WaitUntilGone(copy, kExitTimeoutMs))
        return 0;
    QueryPerformanceCounter(&end);
    return double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

}  // namespace

Launcher::Launcher(const std::string& installer) : process_(installer) {
    if (!process_.Started())
        return;
    HWND first = WaitForWindow(process_.Id(), "#32770", kStepTimeoutMs);
    // The launcher is the first dialog; its title ends in " スタートアップ".
    if (first && WindowText(first).find(" \x83\x58\x83\x5e\x81\x5b\x83\x67\x83\x41\x83\x62\x83\x76") != std::string::npos)
        menu_ = first;
}

bool Launcher::PressInstall() {
    HWND button = menu_ ? ButtonWithText(menu_, kInstallButtonText) : nullptr;
    if (!button)
        return false;
    PressButton(menu_, GetDlgCtrlID(button));
    return true;
}

void Launcher::PressExit() { PressButton(menu_, 1000); }

std::string Launcher::AnswerBox(int button, std::vector<int>* buttons) {
    // Message boxes are owned by the launcher and carry its caption.
    HWND box = WaitForOwnedMessageBox(menu_, kStepTimeoutMs);
    if (!box || WindowText(box) != WindowText(menu_))
        return "";
    // The text static may be filled just after the box shows.
    Sleep(100);
    AtWindow("box");
    std::string text = MessageBoxText(box);
    if (buttons)
        *buttons = MessageBoxButtons(box);
    PressButton(box, button);
    // Gone before the next search, which must not find it again.
    WaitUntilGone(box, kStepTimeoutMs);
    return text;
}

HWND Launcher::WaitForDialog(const char* title, DWORD timeoutMs) {
    return ::WaitForDialog(process_.Id(), title, timeoutMs);
}

bool SubmitSetup(Launcher& launcher, const std::string& folder, std::string* proposed) {
    HWND setup = launcher.WaitForDialog(E2E_SETUP_TITLE);
    if (!setup)
        return false;
    HWND edit = GetDlgItem(setup, kFolderEditId);
    if (proposed)
        *proposed = WindowText(edit);
    if (!folder.empty())
        SetControlText(setup, kFolderEditId, folder);
    launcher.AtWindow("setup");
    PressButton(setup, IDOK);
    return true;
}

InstallSeen RunWholeInstall(Launcher& launcher, const InstallChoices& choices) {
    InstallSeen seen;
    if (!launcher.PressInstall() || !SubmitSetup(launcher, choices.folder, &seen.proposed))
        return seen;
    seen.confirmation = launcher.AnswerBox(IDYES);
    if (choices.timeCopy)
        seen.copySeconds = TimeCopyWindow(launcher);

    HWND shortcut = launcher.WaitForDialog(E2E_SHORTCUT_TITLE, kExitTimeoutMs);
    if (!shortcut)
        return seen;
    HWND box = GetDlgItem(shortcut, kShortcutBoxId);
    seen.desktopBoxTicked = Ticked(box);
    if (choices.desktop == DesktopAnswer::Unticked)
        SendMessageA(box, BM_SETCHECK, BST_UNCHECKED, 0);
    launcher.AtWindow("shortcut");
    PressButton(shortcut, choices.desktop == DesktopAnswer::Cancel ? IDCANCEL : IDOK);

    HWND end = launcher.WaitForDialog(E2E_END_TITLE);
    if (!end)
        return seen;
    seen.endDialog = true;
    HWND readme = GetDlgItem(end, kEndReadmeBoxId);
    seen.endReadmeBox = readme != nullptr;
    seen.endRunBox = GetDlgItem(end, kEndRunBoxId) != nullptr;
    if (readme) {
        seen.endReadmeTicked = Ticked(readme);
        seen.endReadmeLabel = WindowText(readme);
        if (choices.tickReadme)
            SendMessageA(readme, BM_SETCHECK, BST_CHECKED, 0);
    }
    launcher.AtWindow("end");
    if (choices.endWithEsc)
        PressKey(end, VK_ESCAPE);
    else
        PressButton(end, IDOK);
    seen.exitCode = launcher.WaitForExit(kExitTimeoutMs);
    return seen;
}
