// Resource identifiers of the Rules window.
#pragma once

#define IDD_RULES 106
#define IDC_RULE_LIST 1200
#define IDC_RULE_PROGRAM 1201
#define IDC_RULE_CLASS 1202
#define IDC_RULE_TITLE 1203
#define IDC_RULE_FINDER 1204
#define IDC_RULE_ONTOP 1205
#define IDC_RULE_ROLLUP 1206
#define IDC_RULE_OPACITY 1207
#define IDC_RULE_ADD 1208
#define IDC_RULE_CHANGE 1209
#define IDC_RULE_REMOVE 1210
