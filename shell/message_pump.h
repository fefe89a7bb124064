// Keeps windows alive during long work on the one GUI thread.
#pragma once

// Dispatches every message waiting in the thread's queue, never waiting for
// one, and returns how many it dispatched. A WM_QUIT ends the process with its
// wParam as exit code, without any cleanup.
int PumpMessages();
