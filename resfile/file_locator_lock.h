// The lock that serialises the locator's lookups: a critical section on
// Windows, a mutex elsewhere.
#pragma once

// Creates the lock unless it exists; the first creation registers its
// deletion with atexit.
void CreateLocatorLock();

// Holds the lock for its lifetime, creating it first when needed.
class LocatorLockHold {
public:
    LocatorLockHold();
    ~LocatorLockHold();
    LocatorLockHold(const LocatorLockHold&) = delete;
    LocatorLockHold& operator=(const LocatorLockHold&) = delete;
};
