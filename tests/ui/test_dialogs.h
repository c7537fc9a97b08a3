// Templates of the dialogs and pages the framework's tests open.
#pragma once

#define IDD_RECORDER 100
#define IDD_FIRST_PAGE 110
#define IDD_SECOND_PAGE 111
#define IDD_THIRD_PAGE 112

#define IDC_NAME 1001
#define IDC_OPTION 1002
#define IDC_THROW 1003
#define IDC_PAGE_TEXT 1101
