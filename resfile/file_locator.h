// The file locator: turns a resource file name into an open file.
#pragma once

#include <cstdio>

// 1 lets a bare name be opened directly (relative to the current folder).
void SetDirectOpenAllowed(int allowed);

// Nonzero when the name can be found. The first call creates the locator's lock.
int ResourceFileExists(const char* name);
