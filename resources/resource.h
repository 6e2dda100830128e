/* Resource and control identifiers, shared by the program, its .rc file and the
   end-to-end test driver. Kept free of anything else so windres can read it. */
#ifndef VARNITE_RESOURCE_H
#define VARNITE_RESOURCE_H

/* Resources */
#define IDI_VARNITE 100
#define IDB_BACKGROUND 200

/* Controls of the main window, numbered clear of IDOK and IDCANCEL, which the dialog
   manager sends for Enter and Escape. */
#define IDC_CMD_CREATE 1001
#define IDC_LBL_CREATE 1002
#define IDC_CMD_EDIT 1003
#define IDC_LBL_CUESHEET 1004
#define IDC_CMD_HELP 1005
#define IDC_LBL_HELP 1006
#define IDC_CMD_ABOUT 1007
#define IDC_LBL_ABOUT 1008
#define IDC_TXT_ABOUT 1009
#define IDC_TXT_HELP 1010

#define VARNITE_WINDOW_CLASS L"VarniteMainWindow"

#endif
