#include "FeatureMessages.h"

#include "Lorvek.h"

namespace {

// RegisterWindowMessageW never answers 0 for a valid name, so 0 means "not yet".
UINT Registered(UINT& id, const wchar_t* name)
{
    if (id == 0) id = RegisterWindowMessageW(name);
    return id;
}

UINT moveSize, onTop, rollup, transparent, tray, trayNotify, unsubclass, manage;

} // namespace

UINT MsgMoveSize() { return Registered(moveSize, L"MOX_MOVESIZE"); }
UINT MsgOnTop() { return Registered(onTop, MoxOnTopMessageName); }
UINT MsgRollup() { return Registered(rollup, L"MOX_ROLLUP"); }
UINT MsgTransparent() { return Registered(transparent, L"MOX_TRANSPARENT"); }
UINT MsgTray() { return Registered(tray, L"MOX_TRAY"); }
UINT MsgTrayNotify() { return Registered(trayNotify, L"MOX_TRAY_MSG"); }
UINT MsgUnsubclass() { return Registered(unsubclass, L"MOX_WINDOWMANAGER_UNSUBCLASS"); }
UINT MsgManage() { return Registered(manage, MoxManageMessageName); }
