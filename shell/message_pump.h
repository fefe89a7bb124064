// Keeps windows alive during long work on the one GUI thread.
#pragma once

enum class PumpScope {
    All,
    // Input, posted and sent messages only: clicks are answered, while the
    // paints wait for the next full pump.
    NoPaint,
};

// Dispatches every message waiting in the thread's queue (within `scope`),
// never waiting for one, and returns how many it dispatched. A WM_QUIT ends
// the process with its wParam as exit code, without any cleanup.
int PumpMessages(PumpScope scope = PumpScope::All);
