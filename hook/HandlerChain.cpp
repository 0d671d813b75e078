#include "MessageHandlers.h"

const MessageHandler MessageHandlers[] = {
    TitleButtonsWindowProc,
    RollupWindowProc,
    TrayWindowProc,
    OnTopWindowProc,
    SystemMenuWindowProc,
    MoveSizeNotifyWindowProc,
    MouseActionWindowProc,
    TransparentWindowProc,
    SnapWindowProc,
    nullptr,
};
