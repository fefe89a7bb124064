// Resource ids shared by the .rc file and the code, named by kind:
// IDI_ icon, IDA_ animation control, IDB_ push button, IDE_ edit field,
// IDP_ progress bar, IDT_ static text, IDX_ check box.
#pragma once

#define IDI_VARNOK 104

// COPYINGDELUX and COPYING: the copy progress window.
#define IDP_COPY_FILE 1010
#define IDT_COPY_FILE_NAME 1012
#define IDP_COPY_TOTAL 1019
#define IDA_COPY_ANIMATION 1020

// MAINDIALOG: the launcher's button slots; slot s has the id IDB_MENU_SLOT0 + s.
// Slots 0 to 7 form the right-hand column from the bottom up, slot 8 is the
// small button at the top right.
#define IDB_MENU_SLOT0 1000
#define IDB_MENU_SLOT1 1001
#define IDB_MENU_SLOT2 1002
#define IDB_MENU_SLOT3 1003
#define IDB_MENU_SLOT4 1004
#define IDB_MENU_SLOT5 1005
#define IDB_MENU_SLOT6 1006
#define IDB_MENU_SLOT7 1007
#define IDB_MENU_SLOT8 1008

// MAKESHORTCUT: the desktop-link box. ENDINSTALL_*: the readme and run boxes.
#define IDX_DESKTOP_SHORTCUT 1007
#define IDX_END_README 1007
#define IDX_END_RUN 1009

// SETUP: the destination folder.
#define IDE_SETUP_FOLDER 1000
#define IDB_SETUP_BROWSE 1021

// UNINSTALL: the uninstaller's question, carried by the installer as well.
#define IDT_UNINSTALL_TITLE 1000
#define IDT_UNINSTALL_FOLDER 1001
#define IDX_UNINSTALL_SAVES 1007
