// Drives Windows programs from tests: start a process and collect its exit
// code, find its windows, read and answer message boxes, use the clipboard.
// Window texts travel through WM_GETTEXT, so they can be read across processes.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

class TestProcess {
public:
    // Starts the program (its path quoted, then the arguments) in `folder`,
    // or in the caller's current folder when that is empty.
    explicit TestProcess(const std::string& program, const std::string& folder = "",
                         const std::string& arguments = "");
    ~TestProcess();  // ends the process if it still runs
    TestProcess(const TestProcess&) = delete;
    TestProcess& operator=(const TestProcess&) = delete;

    bool Started() const { return info_.hProcess != nullptr; }
    DWORD StartError() const { return startError_; }  // GetLastError of a failed start
    DWORD Id() const { return info_.dwProcessId; }
    // The exit code, or STILL_ACTIVE when the process has not ended in time.
    DWORD WaitForExit(DWORD timeoutMs);

private:
    PROCESS_INFORMATION info_ = {};
    DWORD startError_ = 0;
};

// A visible top-level window of the process whose class is `className`,
// waiting up to timeoutMs; nullptr when none showed up.
HWND WaitForWindow(DWORD processId, const char* className, DWORD timeoutMs);
// A message box (a dialog holding a text static and an icon static) of the process.
HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs);
// A message box owned by the window; a closing dialog it also owns is passed over.
HWND WaitForOwnedMessageBox(HWND owner, DWORD timeoutMs);

// A visible dialog of the process with this caption; nullptr when none showed up.
HWND WaitForDialog(DWORD processId, const char* caption, DWORD timeoutMs);
// A visible dialog owned by the window (a picker over its dialog, say).
HWND WaitForOwnedDialog(HWND owner, DWORD timeoutMs);
// Replaces the text of a dialog's control (an edit field, say).
void SetControlText(HWND dialog, int id, const std::string& text);
// Waits until the window is destroyed or hidden; false when it outlived the timeout.
bool WaitUntilGone(HWND window, DWORD timeoutMs);

std::string WindowText(HWND window);
std::string ClassName(HWND window);
// The text shown in a message box.
std::string MessageBoxText(HWND box);
// The ids of a message box's visible answer buttons (IDOK .. IDCONTINUE), in id order.
std::vector<int> MessageBoxButtons(HWND box);
// The icon a message box shows (its SS_ICON static's), nullptr for none.
HICON MessageBoxIcon(HWND box);
// Clicks the button with this control id, posted so that it never blocks.
void PressButton(HWND dialog, int id);
// Posts a key press (down and up) to the window, as the keyboard would.
void PressKey(HWND window, int virtualKey);
// Posts the click of the window's close box.
void PressCloseBox(HWND window);

// What the screen shows in a window's client area, read from the screen so
// that another process's window can be seen.
struct ClientCapture {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;  // row by row, top first
    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};
ClientCapture CaptureClient(HWND window);

// A check box's state, set and read across processes.
void SetCheckBox(HWND dialog, int id, bool checked);
bool IsCheckBoxChecked(HWND dialog, int id);
// The text of a dialog's control.
std::string ControlText(HWND dialog, int id);

// CF_TEXT on the clipboard (empty when there is none); SetClipboardText replaces it.
std::string ClipboardText();
void SetClipboardText(const std::string& text);

// What a helper thread saw of a message box of this process before it answered it.
struct SeenBox {
    bool found = false;
    std::string caption;
    std::string text;
    HWND owner = nullptr;
    std::vector<int> buttons;  // as MessageBoxButtons gives them
    HICON icon = nullptr;      // as MessageBoxIcon gives it
};

// Waits for the next message box of the process, notes what it shows, runs
// onSeen, presses the button and waits for the box to go; found is false
// when no box came.
SeenBox AnswerMessageBox(DWORD processId, int button, const std::function<void(const SeenBox&)>& onSeen = nullptr);

// Answers the next message box of this process with a button, from a thread
// of its own, while the test's thread sits inside the box. `onSeen` runs on
// that thread before the answer (for boxes after which the process ends).
class BoxAnswerer {
public:
    explicit BoxAnswerer(int button, std::function<void(const SeenBox&)> onSeen = nullptr);
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;
    // Waits for the thread and tells what it saw.
    const SeenBox& Seen();

private:
    SeenBox seen_;
    std::thread thread_;
};
