#include "Settings.h"

#include <windows.h>

void ApplyMouseBindings(const Settings& settings)
{
    SetMouseAction(MoxButtonRight, 0, HTCAPTION, settings.enableSendToBack ? MoxActionSendToBack : MoxActionNone);
    SetMouseAction(MoxButtonRight, 0, HTMINBUTTON,
                   settings.enableMinimizeWindowToTray ? MoxActionMinimizeToTray : MoxActionNone);
    SetMouseActionDblClk(MoxButtonLeft, 0, HTCAPTION, settings.enableRollupToggle ? MoxActionRollup : MoxActionNone);
    SetMouseAction(MoxButtonRight, 0, HTMAXBUTTON, MoxActionMaximizeMenu);
    const MoxAction move = settings.enableInteractiveMove ? MoxActionMove : MoxActionNone;
    for (const int border : {HTLEFT, HTRIGHT, HTTOP, HTTOPLEFT, HTTOPRIGHT, HTBOTTOM, HTBOTTOMLEFT, HTBOTTOMRIGHT,
                             HTBORDER}) {
        SetMouseAction(settings.moveButton, settings.moveModifier, border, move);
    }
}
