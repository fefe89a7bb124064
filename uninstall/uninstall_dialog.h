// The UNINSTALL dialog: what is about to be removed, and whether the saves go too.
#pragma once

#include <string>

enum class UninstallAnswer { Cancel, Remove, RemoveWithSaves };

// Runs the dialog modally, centred on the screen, the saves box unticked.
UninstallAnswer AskUninstall(const std::string& folder);
