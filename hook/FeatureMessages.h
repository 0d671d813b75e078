// Registered window messages, each registered by name on first use in the
// process. The ids are the same in every process on the desktop.
#pragma once

#include <windows.h>

UINT MsgMoveSize();     // "MOX_MOVESIZE"
UINT MsgOnTop();        // "MOX_ON_TOP"
UINT MsgRollup();       // "MOX_ROLLUP"
UINT MsgTransparent();  // "MOX_TRANSPARENT"
UINT MsgTray();         // "MOX_TRAY"
UINT MsgTrayNotify();   // "MOX_TRAY_MSG"
UINT MsgUnsubclass();   // "MOX_WINDOWMANAGER_UNSUBCLASS"
UINT MsgManage();       // "MOX_WINDOWMANAGER_MANAGE"
