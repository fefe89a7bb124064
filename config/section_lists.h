// The four line sections of install.env: [delfiles], [delfiles_user], [ini], [reg].
#pragma once

// Reads the sections. Ends the process with its own message when the file
// cannot be read or leaves a section open.
int LoadSectionLists(const char* fileName);
