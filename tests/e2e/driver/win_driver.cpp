#include "tests/e2e/driver/win_driver.h"

#include <cstring>

namespace {

constexpr DWORD kPollMs = 50;
constexpr int kStartAttempts = 3;
constexpr DWORD kStartRetryMs = 200;
constexpr DWORD kBoxTimeoutMs = 20000;

struct WindowSearch {
    DWORD processId;
    const char* className;
    bool (*accept)(HWND);
    HWND found;
    const char* caption = nullptr;
    HWND owner = nullptr;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window))
        return TRUE;
    if (search->className && ClassName(window) != search->className)
        return TRUE;
    if (search->owner && GetWindow(window, GW_OWNER) != search->owner)
        return TRUE;
    if (search->caption && WindowText(window) != search->caption)
        return TRUE;
    if (search->accept && !search->accept(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND WaitFor(WindowSearch search, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        search.found = nullptr;
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found || GetTickCount() - start > timeoutMs)
            return search.found;
        Sleep(kPollMs);
    }
}

// A message box holds two statics: its text and its icon.
struct StaticSearch {
    bool icon;
    HWND found;
};

BOOL CALLBACK FindStatic(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<StaticSearch*>(param);
    bool isIcon = (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
    if (ClassName(child) == "Static" && isIcon == search->icon) {
        search->found = child;
        return FALSE;
    }
    return TRUE;
}

HWND BoxStatic(HWND box, bool icon) {
    StaticSearch search = {icon, nullptr};
    EnumChildWindows(box, FindStatic, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

TestProcess::TestProcess(const std::string& program, const std::string& folder, const std::string& arguments) {
    std::string commandLine = "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
    std::vector<char> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    // Under Wine a start has been seen to fail, rarely, before the program
    // ran at all, and the same start to work a moment later; the error of
    // the last try is kept for the report.
    for (int attempt = 0; attempt < kStartAttempts; ++attempt) {
        if (CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           folder.empty() ? nullptr : folder.c_str(), &startup, &info_))
            return;
        info_ = {};
        startError_ = GetLastError();
        Sleep(kStartRetryMs);
    }
}

TestProcess::~TestProcess() {
    if (!Started())
        return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 1);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

DWORD TestProcess::WaitForExit(DWORD timeoutMs) {
    DWORD code = STILL_ACTIVE;
    if (Started() && WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

HWND WaitForWindow(DWORD processId, const char* className, DWORD timeoutMs) {
    return WaitFor({processId, className, nullptr, nullptr}, timeoutMs);
}

// A message box holds an icon static even without an icon; dialogs with
// texts, such as SETUP, hold none.
static bool IsMessageBox(HWND w) { return BoxStatic(w, false) && BoxStatic(w, true); }

HWND WaitForMessageBox(DWORD processId, DWORD timeoutMs) {
    return WaitFor({processId, "#32770", IsMessageBox, nullptr}, timeoutMs);
}

HWND WaitForOwnedMessageBox(HWND owner, DWORD timeoutMs) {
    DWORD processId = 0;
    GetWindowThreadProcessId(owner, &processId);
    return WaitFor({processId, "#32770", IsMessageBox, nullptr, nullptr, owner}, timeoutMs);
}

HWND WaitForDialog(DWORD processId, const char* caption, DWORD timeoutMs) {
    return WaitFor({processId, "#32770", nullptr, nullptr, caption}, timeoutMs);
}

HWND WaitForOwnedDialog(HWND owner, DWORD timeoutMs) {
    DWORD processId = 0;
    GetWindowThreadProcessId(owner, &processId);
    return WaitFor({processId, "#32770", nullptr, nullptr, nullptr, owner}, timeoutMs);
}

void SetControlText(HWND dialog, int id, const std::string& text) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                        SMTO_ABORTIFHUNG, 5000, &result);
}

bool WaitUntilGone(HWND window, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(kPollMs);
    }
    return true;
}

std::string WindowText(HWND window) {
    char text[4096] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        &copied);
    return std::string(text, std::strlen(text));
}

std::string ClassName(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string MessageBoxText(HWND box) {
    HWND text = BoxStatic(box, false);
    return text ? WindowText(text) : std::string();
}

std::vector<int> MessageBoxButtons(HWND box) {
    std::vector<int> ids;
    for (int id = IDOK; id <= IDCONTINUE; ++id) {
        HWND button = GetDlgItem(box, id);
        if (button && IsWindowVisible(button))
            ids.push_back(id);
    }
    return ids;
}

// The icon static stays even in a box without an icon; it then holds none.
HICON MessageBoxIcon(HWND box) {
    HWND iconStatic = BoxStatic(box, true);
    DWORD_PTR icon = 0;
    if (iconStatic && IsWindowVisible(iconStatic))
        SendMessageTimeoutA(iconStatic, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 5000, &icon);
    return reinterpret_cast<HICON>(icon);
}

void PressButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void PressKey(HWND window, int virtualKey) {
    UINT scan = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    PostMessageA(window, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
    PostMessageA(window, WM_KEYUP, virtualKey, 1 | (scan << 16) | (3u << 30));
}

void PressCloseBox(HWND window) { PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

ClientCapture CaptureClient(HWND window) {
    ClientCapture capture;
    RECT client;
    POINT origin = {0, 0};
    if (!GetClientRect(window, &client) || !ClientToScreen(window, &origin))
        return capture;
    int width = client.right, height = client.bottom;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && width > 0 && height > 0) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
        SelectObject(memory, old);
        capture.width = width;
        capture.height = height;
        const auto* bgrx = static_cast<const unsigned char*>(bits);
        for (int i = 0; i < width * height; ++i)
            capture.pixels.push_back(RGB(bgrx[4 * i + 2], bgrx[4 * i + 1], bgrx[4 * i]));
    }
    if (bitmap)
        DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return capture;
}


void SetCheckBox(HWND dialog, int id, bool checked) {
    DWORD_PTR unused = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0,
                        SMTO_ABORTIFHUNG, 5000, &unused);
}

bool IsCheckBoxChecked(HWND dialog, int id) {
    DWORD_PTR state = 0;
    SendMessageTimeoutA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
    return state == BST_CHECKED;
}

std::string ControlText(HWND dialog, int id) { return WindowText(GetDlgItem(dialog, id)); }

// Another process may hold the clipboard open for a moment.
bool OpenClipboardSoon() {
    for (int attempt = 0; attempt < 40; ++attempt) {
        if (OpenClipboard(nullptr))
            return true;
        Sleep(kPollMs);
    }
    return false;
}

std::string ClipboardText() {
    std::string text;
    if (!OpenClipboardSoon())
        return text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* locked = static_cast<const char*>(GlobalLock(data))) {
            text = locked;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

void SetClipboardText(const std::string& text) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    if (!block)
        return;
    std::memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
    GlobalUnlock(block);
    if (!OpenClipboardSoon()) {
        GlobalFree(block);
        return;
    }
    EmptyClipboard();
    if (!SetClipboardData(CF_TEXT, block))
        GlobalFree(block);
    CloseClipboard();
}

SeenBox AnswerMessageBox(DWORD processId, int button, const std::function<void(const SeenBox&)>& onSeen) {
    SeenBox seen;
    HWND box = WaitForMessageBox(processId, kBoxTimeoutMs);
    if (!box)
        return seen;
    seen.found = true;
    seen.caption = WindowText(box);
    seen.text = MessageBoxText(box);
    seen.owner = GetWindow(box, GW_OWNER);
    seen.buttons = MessageBoxButtons(box);
    seen.icon = MessageBoxIcon(box);
    if (onSeen)
        onSeen(seen);
    PressButton(box, button);
    WaitUntilGone(box, kBoxTimeoutMs);
    return seen;
}

BoxAnswerer::BoxAnswerer(int button, std::function<void(const SeenBox&)> onSeen)
    : thread_([this, button, onSeen] { seen_ = AnswerMessageBox(GetCurrentProcessId(), button, onSeen); }) {}

BoxAnswerer::~BoxAnswerer() {
    if (thread_.joinable())
        thread_.join();
}

const SeenBox& BoxAnswerer::Seen() {
    if (thread_.joinable())
        thread_.join();
    return seen_;
}
