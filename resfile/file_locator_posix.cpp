#include <mutex>

#include "resfile/file_locator_lock.h"

namespace {

std::mutex gLocatorLock;

}  // namespace

// A std::mutex needs no creation and no deletion at exit.
void CreateLocatorLock() {}

LocatorLockHold::LocatorLockHold() { gLocatorLock.lock(); }

LocatorLockHold::~LocatorLockHold() { gLocatorLock.unlock(); }
