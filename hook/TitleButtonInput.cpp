// Input on the title buttons and the first member of the handler chain.
#include <windows.h>

#include <commctrl.h>

#include "DebugLog.h"
#include "FeatureMessages.h"
#include "FeatureProtocol.h"
#include "ManagedWindow.h"
#include "MessageHandlers.h"
#include "RulesState.h"
#include "TitleButtons.h"

namespace {

// The signed 16-bit x and y of a mouse message's lParam.
POINT PointOf(LPARAM lParam)
{
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

LRESULT Caption_NCHitTest(HWND window, WPARAM wParam, LPARAM lParam)
{
    const LRESULT code = CallOwnProcedure(window, WM_NCHITTEST, wParam, lParam);
    // Re-read after the window's own procedure, which may have released it.
    const TitleButtons* block = FindTitleButtons(window);
    if (code != HTCAPTION || block == nullptr) return code;
    const POINT point = PointOf(lParam);
    for (int i = 0; i < block->count; ++i) {
        if (IsOnTitleButton(block, window, i, point)) return HTBORDER;
    }
    return HTCAPTION;
}

bool Caption_NCLButtonDown(POINT point, TitleButtons* block, HWND window, WPARAM hitCode)
{
    LogMessage(L"%s 0x%X", L"Caption_NCLButtonDown", Hex32(window));
    if (hitCode != HTBORDER) return false;
    for (int i = 0; i < block->count; ++i) {
        if (!IsOnTitleButton(block, window, i, point)) continue;
        block->activeButton = i;
        block->tracking = TRUE;
        block->inside = TRUE;
        SetCapture(window);
        RepaintTitleButtons(window, block);
        return true;
    }
    return false;
}

bool Caption_MouseMove(POINT point, HWND window, TitleButtons* block)
{
    ClientToScreen(window, &point);
    if (!block->tracking) return false;
    const BOOL now = IsOnTitleButton(block, window, block->activeButton, point) ? TRUE : FALSE;
    if (now != block->inside) {
        block->inside = now;
        RepaintTitleButtons(window, block);
    }
    return true;
}

bool Caption_LButtonUp(POINT point, HWND window, TitleButtons* block)
{
    LogMessage(L"%s 0x%X", L"Caption_LButtonUp", Hex32(window));
    ClientToScreen(window, &point);
    if (!block->tracking) return false;
    // The press ends here, so the capture change that follows finds nothing to end.
    block->tracking = FALSE;
    const int index = block->activeButton;
    const UINT message = block->buttons[index].message;
    const bool onButton = IsOnTitleButton(block, window, index, point);
    ReleaseCapture();
    if (onButton) {
        SendMessageW(window, message, FeatureToggle, 0);
        const int state = static_cast<int>(SendMessageW(window, message, FeatureQuery, 0));
        if (message == MsgOnTop() && GetKeyState(VK_SHIFT) < 0) AskForOnTopRule(state == 1);
        // The program may have destroyed its window in between.
        block = FindTitleButtons(window);
        if (block == nullptr) return true;
        block->buttons[index].state = state;
    }
    RepaintTitleButtons(window, block);
    return true;
}

void Caption_NCMouseMove(POINT point, TitleButtons* block, HWND window, WPARAM hitCode)
{
    int index = -1;
    BOOL over = FALSE;
    if (hitCode == HTBORDER) {
        for (int i = 0; i < block->count; ++i) {
            if (IsOnTitleButton(block, window, i, point)) {
                over = TRUE;
                index = i;
            }
        }
    }
    if ((index == -1 || index == block->activeButton) && over == block->inside) return;
    // A leave notification is posted once and then tracking ends: ask for the
    // next one whenever the cursor comes onto a button, so that leaving the
    // window from there clears the hot look.
    if (over && !block->inside) TrackNonClientLeave(window);
    block->inside = over;
    if (index != -1) block->activeButton = index;
    RepaintTitleButtons(window, block);
}

bool IsTitleButtonMessage(UINT message)
{
    switch (message) {
    case WM_SETTEXT:
    case WM_NCHITTEST:
    case WM_NCPAINT:
    case WM_NCACTIVATE:
    case WM_NCMOUSEMOVE:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_NCMOUSELEAVE:
    case WM_CAPTURECHANGED:
    case WM_THEMECHANGED:
    case WM_WINDOWPOSCHANGED:
    case WM_DWMCOMPOSITIONCHANGED:
        return true;
    default:
        return false;
    }
}

} // namespace

bool TitleButtonsWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    result = 0;
    // Every message gets its trace line while the log is on; otherwise one
    // the buttons ignore costs a switch and no property look-up.
    const bool handled = IsTitleButtonMessage(message);
    if (!handled && !LogFileMayExist(LogDestination)) return false;
    TitleButtons* block = FindTitleButtons(window);
    LogMessage(L"%s 0x%X 0x%X", L"TitleButtonsWindowProc", Hex32(window), Hex32(block));
    if (block == nullptr || !handled) return false;
    // On a composed frame, or under a program's own title bar, the frame is
    // the window's own.
    const bool frame = FrameDrawn(block);
    switch (message) {
    case WM_SETTEXT:
        if (!frame) return false;
        result = Caption_SetText(window, block, wParam, lParam);
        return true;
    case WM_NCHITTEST:
        result = Caption_NCHitTest(window, wParam, lParam);
        return true;
    case WM_NCPAINT:
        if (!frame) return false;
        Caption_NCPaint(window, block, reinterpret_cast<HRGN>(wParam));
        return true;
    case WM_NCACTIVATE:
        if (!frame) {
            block->windowActive = static_cast<BOOL>(wParam);
            RepaintTitleButtons(window, block);
            return false;
        }
        result = Caption_NCActivate(window, block, wParam, lParam);
        return true;
    case WM_NCMOUSEMOVE:
        Caption_NCMouseMove(PointOf(lParam), block, window, wParam);
        return false;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
        return Caption_NCLButtonDown(PointOf(lParam), block, window, wParam);
    case WM_MOUSEMOVE:
        return Caption_MouseMove(PointOf(lParam), window, block);
    case WM_LBUTTONUP:
        return Caption_LButtonUp(PointOf(lParam), window, block);
    case WM_NCMOUSELEAVE: {
        const DWORD position = GetMessagePos();
        Caption_NCMouseMove({static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))}, block,
                            window, HTBORDER);
        return false;  // the program may track the mouse in its frame too
    }
    case WM_CAPTURECHANGED:
        // Another window took the capture: the press is over.
        if (block->tracking) {
            block->tracking = FALSE;
            block->inside = FALSE;
            RepaintTitleButtons(window, block);
        }
        return false;
    case WM_THEMECHANGED:
        FreeThemeButtonImage(block);
        LoadThemeButtonImage(block, window);
        return false;
    case WM_WINDOWPOSCHANGED: {
        // A program may send the message without its record.
        const auto* position = reinterpret_cast<const WINDOWPOS*>(lParam);
        PlaceTitleButtons(window, block,
                          position == nullptr || (position->flags & SWP_NOSIZE) == 0 ||
                              (position->flags & (SWP_FRAMECHANGED | SWP_SHOWWINDOW)) != 0);
        return false;
    }
    case WM_DWMCOMPOSITIONCHANGED:
        block->composed = IsFrameComposed(window);
        PlaceTitleButtons(window, block);
        RepaintFrame(window);
        return false;
    default:
        return false;
    }
}
