// A game folder on the publisher's disk seen as the uninstaller sees the install folder:
// Shift-JIS names, '\\' between levels.
#pragma once

#include <string>
#include <vector>

#include "uninstall/removal_plan.h"

// Lists folders below gameDir, each sorted bytewise by its Shift-JIS names.
// Names without a Shift-JIS form are left out (pack refuses them); their
// paths go to `unlisted` when given.
FolderLister GameFolderLister(const std::string& gameDir, std::vector<std::string>* unlisted = nullptr);
