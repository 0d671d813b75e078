// Resource identifiers of the dialog framework tests.
#pragma once

#define IDD_FRAMEWORK 200
#define IDD_INNER 201
#define IDC_FRAMEWORK_EDIT 1235
#define IDC_FRAMEWORK_OTHER 1234
