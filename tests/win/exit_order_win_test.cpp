// The exit handlers start-up leaves behind run in reverse order of
// registration: the setting table is freed first, while the file locator
// still serves handlers registered before the table was loaded.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "config/setting_table.h"
#include "resfile/file_locator.h"
#include "tests/win/temp_folder.h"

namespace {

// The dying process writes what each marker saw into one line for the parent.
char gSeen[256];
TempFolder* gFolder = nullptr;
char gSettingsFile[MAX_PATH];

void Note(const char* what) { std::strncat(gSeen, what, sizeof gSeen - std::strlen(gSeen) - 1); }

void NoteTable() { Note(FirstSettingEntry() ? "table " : "no-table "); }

// Registered after the table was loaded: runs before FreeSettingTable.
void AfterSettingsMarker() {
    Note("after-settings: ");
    NoteTable();
}

// Registered between the locator's first use and the table's load.
void AfterLocatorMarker() {
    Note("after-locator: ");
    NoteTable();
    Note(ResourceFileExists(gSettingsFile) ? "file " : "no-file ");
}

// Registered first, as start-up registers the COM release: runs last.
void FirstMarker() {
    Note("first");
    delete gFolder;
    std::fprintf(stderr, "%s\n", gSeen);
}

// Registers markers around the first use of the locator and the table's
// load, as start-up registers its own handlers, then ends the process.
void StartUpAndExit() {
    std::atexit(FirstMarker);
    gFolder = new TempFolder;
    std::snprintf(gSettingsFile, sizeof gSettingsFile, "%s", (*gFolder / "install.env").c_str());
    WriteFileBytes(gSettingsFile, "TITLEBAR ExitOrder\r\n");
    SetDirectOpenAllowed(1);
    if (ResourceFileExists(gSettingsFile))
        Note("found ");
    std::atexit(AfterLocatorMarker);
    LoadSettingTable(gSettingsFile);
    Note(GetTitleBar());
    Note(" ");
    std::atexit(AfterSettingsMarker);
    std::exit(0);
}

TEST(ExitOrderDeathTest, SettingTableIsFreedBeforeEarlierHandlersWhileTheLocatorStillServes) {
    EXPECT_EXIT(StartUpAndExit(), ::testing::ExitedWithCode(0),
                "^found ExitOrder after-settings: table after-locator: no-table file first\n");
}

}  // namespace
