// Resource identifiers of setup.exe, for the code and for setup.rc. setup
// keeps its own identifiers below 300 (dialogs, icons, strings) and its
// controls below 3000; the configuration pages it links use 300 and up.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Dialogs, icons and strings.
#define IDD_ABOUTBOX 100         // CAboutDlg
#define IDS_ABOUTBOX 101         // "&About Lullan..." in the system menu
#define IDD_SETUP_DIALOG 102     // CSetupDlg, the main dialog
#define IDI_SETUP 131            // the program's icon
#define IDI_SETUP_IMAGE_16 231   // its images (RT_ICON), numbered by setup, not by windres
#define IDI_SETUP_IMAGE_32 232
#define IDD_INSTALL_DIR 134      // CInstallDirDlg
#define IDI_INSTALL 135          // drawn on the directory dialog's OK button
#define IDI_INSTALL_IMAGE_16 235
#define IDI_INSTALL_IMAGE_32 236
#define IDD_PROGRESS 139         // CProgressDlg
#define IDD_INSTALL_TYPE 150     // CInstallTypeDlg
#define IDD_SERVICE_ACCOUNT 153  // CServiceAccountDlg
#define IDD_LICENCE 160          // CLicenceDlg

// The About command of the system menu; commands 16 to 31 all show the box.
#define IDM_ABOUTBOX 0x0010

// Main dialog: Install is IDOK and Exit IDCANCEL, so that Enter installs and
// Escape ends the program.
#define IDC_CONFIGURE 1000
#define IDC_REMOVE 1001
#define IDC_RELEASE_NOTES 1002
#define IDC_START_STOP 1003
#define IDC_STATUS 1004

// About box.
#define IDC_ABOUT_VERSION 1010

// Progress dialog.
#define IDC_PROGRESS_TEXT 1020
#define IDC_PROGRESS_BAR 1021

// Installation type: each button ends the dialog with its own identifier.
#define IDC_WORKSTATION 1030
#define IDC_SERVER 1031

// Installation directory.
#define IDC_DIRECTORY 1040
#define IDC_BROWSE 1041

// Service account.
#define IDC_ACCOUNT_NAME 1050
#define IDC_PASSWORD 1051
#define IDC_REPEAT_PASSWORD 1052

// Licence agreement: Yes and No end the dialog with IDYES and IDNO.
#define IDC_LICENCE_TEXT 1060
