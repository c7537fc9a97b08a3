// Resource identifiers of the configuration pages and their dialogs, for the
// code and for the .rc files (one per page or dialog, each included from
// config.rc). Every page and dialog has its own block of control IDs, so a
// page's identifiers can be told apart anywhere.
//
// Page size: every property page template is 252 x 218 dialog units (the
// size the General page's fifteen controls and the Groups page's two lists
// need), in "MS Shell Dlg" 8, with a 7-unit margin; the sheet then keeps the
// same size whichever page is shown.
//
// The programs that link these resources keep their own identifiers below
// 300 (dialogs, icons, strings) and below 3000 (controls).
#pragma once

#define IDC_STATIC (-1)

#define CONFIG_PAGE_WIDTH 252
#define CONFIG_PAGE_HEIGHT 218

// Dialog templates.
#define IDD_GENERAL_PAGE 300
#define IDD_DAILY_TIME 301
#define IDD_GROUPS_PAGE 302
#define IDD_GROUP_PROPS 303
#define IDD_NOTIFICATION_PAGE 304
#define IDD_TUNING_PAGE 305
#define IDD_PROFILE_PAGE 306
#define IDD_PROFILE_WARNING 307

// Images.
#define IDI_MINUTES_GROUP 320     // Groups page: a minutes group
#define IDI_CLOCK_TIME_GROUP 321  // Groups page: a clock-time group
#define IDB_PLAY 330              // Notification page: the play button, 15 x 14, 16 colours

// General page (CGeneralDlg): 3100-3149.
#define IDC_GENERAL_IDLE_MINUTES 3101
#define IDC_GENERAL_LOGOFF 3102  // the three Action radios, in this order
#define IDC_GENERAL_SHUTDOWN 3103
#define IDC_GENERAL_REBOOT 3104
#define IDC_GENERAL_FORCE_EXIT 3105
#define IDC_GENERAL_RUN_SCRIPT 3106
#define IDC_GENERAL_LOGOFF_SCRIPT 3107
#define IDC_GENERAL_IGNORE_NET 3108
#define IDC_GENERAL_HIDE_TRAY_ICON 3109
#define IDC_GENERAL_ONLY_IF_LOCKED 3110
#define IDC_GENERAL_ONLY_IF_SCREENSAVER 3111
#define IDC_GENERAL_USE_MUTEX 3112
#define IDC_GENERAL_USE_LOG_FILE 3113
#define IDC_GENERAL_LOG_DIR 3114
#define IDC_GENERAL_ENABLE_DAILY_LOGOFF 3115
#define IDC_GENERAL_DAILY_LOGOFF_TIME 3116
#define IDC_GENERAL_SET_DAILY_TIME 3117

// Daily logoff time dialog (CDailyTimeDlg): 3150-3199. OK and Cancel are IDOK, IDCANCEL.
#define IDC_DAILY_HOUR 3151
#define IDC_DAILY_MINUTE 3152
#define IDC_DAILY_AM 3153
#define IDC_DAILY_PM 3154

// Groups page (CGroupsDlg): 3200-3249.
#define IDC_GROUPS_GLOBAL_LIST 3201
#define IDC_GROUPS_MONITORED_LIST 3202
#define IDC_GROUPS_ADD 3203
#define IDC_GROUPS_EDIT 3204
#define IDC_GROUPS_DELETE 3205
#define IDC_GROUPS_DOMAIN 3206  // "Domain:", replaced by the controller's name
#define IDC_GROUPS_MAX_BIGGEST 3207
#define IDC_GROUPS_MAX_SMALLEST 3208
#define IDC_GROUPS_DLT_EARLIEST 3209
#define IDC_GROUPS_DLT_LATEST 3210
#define IDC_GROUPS_VAL_MINUTES 3211
#define IDC_GROUPS_VAL_CLOCK_TIME 3212

// Group properties dialog (CGroupPropsDlg): 3250-3299. OK and Cancel are IDOK, IDCANCEL.
#define IDC_GROUPPROPS_NAMES 3251
#define IDC_GROUPPROPS_AFTER_IDLE 3252
#define IDC_GROUPPROPS_MINUTES 3253
#define IDC_GROUPPROPS_AT_TIME 3254
#define IDC_GROUPPROPS_TIME 3255
#define IDC_GROUPPROPS_SET 3256

// Notification page (CNotifyDlg): 3300-3349.
#define IDC_NOTIFY_USE_COUNTDOWN 3301
#define IDC_NOTIFY_COUNTDOWN_SECONDS 3302
#define IDC_NOTIFY_CUSTOM_MESSAGE 3303
#define IDC_NOTIFY_USER_CANCEL 3304
#define IDC_NOTIFY_WAV_FILE 3305
#define IDC_NOTIFY_BROWSE 3306
#define IDC_NOTIFY_PLAY 3307

// Tuning page (CTuneDlg): 3350-3399.
#define IDC_TUNING_SENSITIVITY 3351  // trackbar, 0 (Low) to 3 (High)
#define IDC_TUNING_EXCLUDE_FILES 3352
#define IDC_TUNING_NET_BYTES 3353
#define IDC_TUNING_IGNORE_KERNEL 3354
#define IDC_TUNING_MONITOR_MOUSE 3355

// Profile page (CServerDlg): 3400-3449.
#define IDC_PROFILE_NAME 3401
#define IDC_PROFILE_SERVER 3402

// The console's shared-profile warning (CProfileWarningDlg): 3450-3499. Its
// buttons end the dialog with their own IDs: Continue 6, Edit Profile 7, Cancel 2.
#define IDC_PROFILE_WARNING_TEXT 3451
#define IDC_PROFILE_WARNING_ICON 3452       // the system's warning icon
#define IDC_PROFILE_WARNING_CONTINUE 6      // IDYES
#define IDC_PROFILE_WARNING_EDIT_PROFILE 7  // IDNO
