// A whole install driven through the installer's real windows: the
// launcher, SETUP, the confirmation, MAKESHORTCUT and the end dialog.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/e2e/driver/win_driver.h"

constexpr DWORD kStepTimeoutMs = 30000;

// The installer's dialogs by title, their texts as the program shows them.
// "インストール先のフォルダの指定"
#define E2E_SETUP_TITLE \
    "\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x90\xe6\x82\xcc\x83\x74\x83\x48\x83\x8b\x83\x5f\x82\xcc\x8e\x77\x92\xe8"
// "ファイルのコピー中..."
#define E2E_COPY_TITLE "\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xcc\x83\x52\x83\x73\x81\x5b\x92\x86..."
// "ショートカットの作成"
#define E2E_SHORTCUT_TITLE "\x83\x56\x83\x87\x81\x5b\x83\x67\x83\x4a\x83\x62\x83\x67\x82\xcc\x8d\xec\x90\xac"
// "インストール終了"
#define E2E_END_TITLE "\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5b\x83\x8b\x8f\x49\x97\xb9"

// A running installer whose launcher is up.
class Launcher {
public:
    explicit Launcher(const std::string& installer);
    bool Up() const { return menu_ != nullptr; }
    DWORD Id() const { return process_.Id(); }
    HWND Menu() const { return menu_; }
    // Presses the launcher's インストール button.
    bool PressInstall();
    // Presses the exit button (the bottom slot).
    void PressExit();
    DWORD WaitForExit(DWORD timeoutMs) { return process_.WaitForExit(timeoutMs); }
    // The next message box (captioned like the launcher), its text and
    // buttons read before it is answered with `button`; "" when none came.
    std::string AnswerBox(int button, std::vector<int>* buttons = nullptr);
    // A dialog of the installer with this title, waiting for it.
    HWND WaitForDialog(const char* title, DWORD timeoutMs = kStepTimeoutMs);
    // Called with a step's name ("setup", "confirm", "shortcut", "end")
    // each time its window is up, before it is answered (for screenshots).
    void OnWindow(std::function<void(const char*)> hook) { hook_ = std::move(hook); }
    void AtWindow(const char* step) const {
        if (hook_)
            hook_(step);
    }

private:
    TestProcess process_;
    HWND menu_ = nullptr;
    std::function<void(const char*)> hook_;
};

enum class DesktopAnswer { Ticked, Unticked, Cancel };

struct InstallChoices {
    std::string folder;  // typed into SETUP; empty keeps what it proposes
    DesktopAnswer desktop = DesktopAnswer::Ticked;
    bool tickReadme = false;
    bool endWithEsc = false;  // leaves the end dialog with Esc instead of OK
    bool timeCopy = false;    // waits for the copy window and times it: big payloads only
};

// What the run showed on its way.
struct InstallSeen {
    std::string proposed;      // SETUP's folder text as it opened
    std::string confirmation;  // the Yes/No question
    double copySeconds = 0;    // how long the copy window was up, when timed
    bool desktopBoxTicked = false;  // MAKESHORTCUT's box as it opened
    bool endDialog = false;
    bool endReadmeBox = false;  // the end dialog has the readme box
    bool endReadmeTicked = false;
    std::string endReadmeLabel;
    bool endRunBox = false;  // a run box (none of the shown templates has one)
    DWORD exitCode = STILL_ACTIVE;
};

// Presses Install and answers every window up to the end of the program.
InstallSeen RunWholeInstall(Launcher& launcher, const InstallChoices& choices);

// Types the folder into SETUP and presses 次へ; false without a SETUP.
bool SubmitSetup(Launcher& launcher, const std::string& folder, std::string* proposed = nullptr);
