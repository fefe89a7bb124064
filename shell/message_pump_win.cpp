#include <windows.h>

#include <cstdlib>

#include "shell/message_pump.h"

int PumpMessages(PumpScope scope) {
    UINT flags = PM_REMOVE;
    if (scope == PumpScope::NoPaint)
        flags |= PM_QS_INPUT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE;
    int count = 0;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, flags)) {
        if (message.message == WM_QUIT)
            std::exit(static_cast<int>(message.wParam));
        TranslateMessage(&message);
        DispatchMessageA(&message);
        ++count;
    }
    return count;
}
