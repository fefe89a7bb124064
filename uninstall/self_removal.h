// A running program cannot delete its own file. The uninstaller leaves a
// copy of itself in the temp folder, the finisher, which waits for the
// original to end, deletes it and the install folder when that is empty,
// and is itself deleted by the system when it ends: the copy is opened
// delete-on-close and that handle is inherited, so the last close (the
// finisher's end) removes it.
#pragma once

#include <string>

#include "shell/win_handles.h"

// The finisher's first argument.
constexpr char kFinishSwitch[] = "/finish";

// The finisher's copy of `self` in the temp folder, made new (a name already
// taken is passed over for the next) and written through the handle that
// made it; then held, inheritable, not shareable for write or delete, and
// deleted when its last handle closes, so the program started is the file
// written. The copy's path goes into `copy`; nullptr when it cannot be made.
UniqueHandle MakeFinisherCopy(const std::string& self, std::string& copy);

// Starts the finisher for `self` (the running program's full path). False
// when it could not be started; the program file then stays.
bool StartFinisher(const std::string& self);

// The finisher: arguments as StartFinisher passes them (the original's
// process handle and its path). Returns the exit code, 0.
int RunFinisher(const char* processHandle, const char* originalPath);
