// Resource identifiers of the tray program.
#pragma once

#define IDI_HOVELLE 102
#define IDM_TRAY 104
#define IDC_ABOUT 1002
#define IDC_EXIT 1003
#define IDC_SETTINGS 1004
#define IDC_MANAGE_OPEN 1005
#define IDC_RESTORE_HIDDEN 1006
