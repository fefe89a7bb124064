// The demo game's program (installed as varnok.exe): it only says what it
// is, so that the installer's shortcuts and "start the game" have a target.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    MessageBoxW(nullptr, L"VARNOK デモゲーム「星降る丘の物語」体験版です。\nインストールは正しく完了しています。",
                L"星降る丘の物語 体験版", MB_OK | MB_ICONINFORMATION);
    return 0;
}
