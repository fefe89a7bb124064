// The setting table of install.env: key/value lines with defaults.
#pragma once

// Loads the table from the file (through the file locator); the first call
// registers the table's release at process exit. 0 on success.
int LoadSettingTable(const char* fileName);

// "<TITLEBAR> スタートアップ": the window title and the single-instance mutex name.
const char* GetWindowTitle();
// The TITLEBAR setting ("VARNOK_APP" by default).
const char* GetTitleBar();
