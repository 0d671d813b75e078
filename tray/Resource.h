// Resource identifiers of the tray program.
#pragma once

#define IDI_HOVELLE 102
#define IDM_TRAY 104
#define IDC_ABOUT 1002
#define IDC_EXIT 1003
