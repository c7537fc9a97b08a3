// Resource identifiers of lullan.exe.
#pragma once

#define IDD_AGENT 100      // the agent's window: hidden, it holds the agent's timer and notifications
#define IDD_COUNTDOWN 101  // the countdown before the service acts
#define IDI_LULLAN 102     // the tray icon

#define IDC_COUNTDOWN_ICON 1001
#define IDC_COUNTDOWN_ACTION 1002
#define IDC_COUNTDOWN_WHY 1003
#define IDC_COUNTDOWN_MESSAGE 1004
