// Ids of the test program's dialog templates and their controls (uikit_test.rc).
#pragma once

#define IDD_PLAIN 200    // a dialog with initialisation data
#define IDD_BARE 210     // a dialog without initialisation data
#define IDC_LABEL 201
#define IDC_EDIT 202
#define IDC_COMBO 203
#define IDC_PROGRESS 204
#define IDC_LIST 205
