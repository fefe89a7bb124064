// Resource ids shared by the .rc file and the code, named by kind:
// IDI_ icon, IDA_ animation control, IDP_ progress bar, IDT_ static text,
// IDE_ edit field, IDB_ push button.
#pragma once

#define IDI_VARNOK 104

// COPYINGDELUX and COPYING: the copy progress window.
#define IDP_COPY_FILE 1010
#define IDT_COPY_FILE_NAME 1012
#define IDP_COPY_TOTAL 1019
#define IDA_COPY_ANIMATION 1020

// SETUP: the destination folder.
#define IDE_SETUP_FOLDER 1000
#define IDB_SETUP_BROWSE 1021
