#include "Bindings.h"

#include <windows.h>

#include "Lorvek.h"

namespace harness {

void ApplyDefaultBindings()
{
    SetMouseAction(MoxButtonRight, 0, HTCAPTION, MoxActionSendToBack);
    SetMouseAction(MoxButtonRight, 0, HTMINBUTTON, MoxActionMinimizeToTray);
    SetMouseActionDblClk(MoxButtonLeft, 0, HTCAPTION, MoxActionRollup);
    SetMouseAction(MoxButtonRight, 0, HTMAXBUTTON, MoxActionMaximizeMenu);
    for (int hit : {HTLEFT, HTRIGHT, HTTOP, HTTOPLEFT, HTTOPRIGHT, HTBOTTOM, HTBOTTOMLEFT, HTBOTTOMRIGHT, HTBORDER}) {
        SetMouseAction(MoxButtonLeft, 1, hit, MoxActionMove);
    }
}

} // namespace harness
