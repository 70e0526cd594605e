// Resource and control ids of the program, shared by the resource script and the code.
#pragma once

#define IDD_ZENTREL_DIALOG 102
#define IDR_MAINFRAME 128

#define IDC_FOLDER 1001
#define IDC_FIND 1002
#define IDC_REPLACE 1003
#define IDC_BROWSE 1007
#define IDC_CASE_SENSITIVE 1008
#define IDC_FIND_ONLY 1009
#define IDC_SUB_FOLDERS 1010
#define IDC_PROGRESS 1011
#define IDC_RENAME_ONLY 1012
#define IDC_FILE_TYPES 1013
#define IDC_KEEP_NAME 1014
#define IDC_NUMBER_FILES 1015

// The dialog-initialisation resource type: records that fill controls when the dialog opens.
#define ZRT_DLGINIT 240
