#include <windows.h>

#include <cstdlib>

#include "shell/message_pump.h"

int PumpMessages() {
    int count = 0;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            std::exit(static_cast<int>(message.wParam));
        TranslateMessage(&message);
        DispatchMessageA(&message);
        ++count;
    }
    return count;
}
