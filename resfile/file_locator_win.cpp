#include <windows.h>

#include <cstdlib>

#include "resfile/file_locator_lock.h"

namespace {

CRITICAL_SECTION gLocatorLock;
bool gLocatorLockCreated = false;

void DeleteLocatorLock() {
    DeleteCriticalSection(&gLocatorLock);
    gLocatorLockCreated = false;
}

}  // namespace

// Not guarded itself: the first call comes from start-up, on its one thread.
void CreateLocatorLock() {
    if (gLocatorLockCreated)
        return;
    InitializeCriticalSection(&gLocatorLock);
    gLocatorLockCreated = true;
    std::atexit(DeleteLocatorLock);
}

LocatorLockHold::LocatorLockHold() {
    CreateLocatorLock();
    EnterCriticalSection(&gLocatorLock);
}

LocatorLockHold::~LocatorLockHold() { LeaveCriticalSection(&gLocatorLock); }
