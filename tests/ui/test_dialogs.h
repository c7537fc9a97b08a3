// Templates of the dialogs and pages the framework's tests open.
#pragma once

#define IDD_RECORDER 100
#define IDD_FIRST_PAGE 110
#define IDD_SECOND_PAGE 111
#define IDD_THIRD_PAGE 112
#define IDD_CONTROLS 120
#define IDI_TEST 130

#define IDC_NAME 1001
#define IDC_OPTION 1002
#define IDC_THROW 1003
#define IDC_PAGE_TEXT 1101
#define IDC_LIST 1201
#define IDC_PROGRESS 1202
#define IDC_TRACKBAR 1203
#define IDC_SPIN_EDIT 1204
#define IDC_SPIN 1205
#define IDC_STATUS 1206
