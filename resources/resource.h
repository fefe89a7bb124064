// Resource ids shared by the .rc file and the code, named by kind:
// IDI_ icon, IDA_ animation control, IDP_ progress bar, IDT_ static text.
#pragma once

#define IDI_VARNOK 104

// COPYINGDELUX and COPYING: the copy progress window.
#define IDP_COPY_FILE 1010
#define IDT_COPY_FILE_NAME 1012
#define IDP_COPY_TOTAL 1019
#define IDA_COPY_ANIMATION 1020

// UNINSTALL: the uninstaller's question, carried by the installer as well.
#define IDT_UNINSTALL_TITLE 1000
#define IDT_UNINSTALL_FOLDER 1001
#define IDX_UNINSTALL_SAVES 1007
