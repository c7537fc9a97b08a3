// Resource identifiers of the server control panel, for the code and for
// tarnel.rc. The console keeps its identifiers below 300 (dialogs, icons,
// strings) and below 3000 (controls): the configuration pages it links use
// 300 and up, and 3000 and up.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Dialog templates.
#define IDD_ABOUTBOX 100
#define IDD_SERVER_PANEL 102     // CServerPanelDlg, the main dialog
#define IDD_SHARED_PROFILES 136  // CSharedProfilesDlg
#define IDD_NEW_PROFILE 137      // CNewProfileDlg

// Strings.
#define IDS_ABOUTBOX 101  // "&About tarnel...", the system menu's item

// Icons. The list view's images are 130, 129 and 134, in that order.
#define IDI_TARNEL 128           // the program
#define IDI_SERVICE_PRESENT 129  // the main service is there, not running
#define IDI_SERVICE_RUNNING 130  // the main service runs
#define IDI_SERVICE_UNKNOWN 134  // not known yet, or no service found

// The system menu's command that opens the About box. Its low four bits are
// clear, as the system's own commands need.
#define IDM_ABOUTBOX 0x0010

// The main dialog's controls.
#define IDC_STATUS_BAR 99
#define IDC_MACHINES 1000  // the list view
#define IDC_CONFIGURE 1001
#define IDC_START_STOP 1002
#define IDC_LOGOFF_NOW 1003
#define IDC_SHUTDOWN_NOW 1004
#define IDC_REBOOT_NOW 1005
#define IDC_REFRESH 1007
#define IDC_SHARED_PROFILES 1008
#define IDC_ASSIGN_PROFILE 1012
// Exit is IDCANCEL (2), so that Esc exits.

// The shared profiles dialog (Edit is IDOK, Close or Assign is IDCANCEL)
// and the new profile's name.
#define IDC_PROFILE_LIST 1009
#define IDC_ADD_PROFILE 1010
#define IDC_DELETE_PROFILE 1011
#define IDC_NEW_PROFILE_NAME 1011

// The About box's texts.
#define IDC_ABOUT_PRODUCT 1050
#define IDC_ABOUT_DESCRIPTION 1051
