// The demo game's uninstaller (installed as UnInst.exe). A publisher ships
// its own; the demo's only names the folder the user would remove by hand.
#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    wchar_t self[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring folder(self, n);
    folder.erase(folder.find_last_of(L'\\') + 1);
    std::wstring text = L"これはデモ用のアンインストーラーです。\n次のフォルダを削除するとアンインストールできます:\n" + folder;
    MessageBoxW(nullptr, text.c_str(), L"星降る丘の物語 体験版", MB_OK | MB_ICONINFORMATION);
    return 0;
}
