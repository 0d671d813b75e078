// Resource identifiers of the About dialog.
#pragma once

#define IDD_ABOUT 104
#define IDC_ABOUT_ICON 1000
#define IDC_ABOUT_WEB 1002
#define IDC_ABOUT_MAIL 1003
#define IDC_ABOUT_PRODUCT 1004
#define IDC_ABOUT_VERSION 1005
