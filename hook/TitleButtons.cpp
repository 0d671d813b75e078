// Buttons in the caption of a managed window.
#include "TitleButtons.h"

#include "MessageHandlers.h"

void AddOnTopTitleButton(HWND)
{
}

int RemoveTitleButtons(HWND)
{
    return 0;
}

bool TitleButtonsWindowProc(HWND, UINT, WPARAM, LPARAM, LRESULT&)
{
    return false;
}
