// Minimize to tray: hides a window behind a notification-area icon of its
// own. The icon belongs to the window, so the shell sends its mouse events
// here. The property "MOX_TRAY" is 1 while the window is in the tray.
#include <windows.h>

#include <shellapi.h>

#include "FeatureMessages.h"
#include "FeatureProtocol.h"
#include "MessageHandlers.h"

const wchar_t TrayProperty[] = L"MOX_TRAY";

namespace {
const UINT TrayIconId = 1000;
// Sent to the window itself; its default procedure opens the system menu at
// the screen point in lParam.
const UINT PopupSystemMenu = 0x0313;
const UINT IconQueryTimeout = 500;
// The first form of the record, the one named by its size, holds 64 units of tip.
const int TipUnits = 64;
static_assert(sizeof(NOTIFYICONDATAW::szTip) >= TipUnits * sizeof(WCHAR), "tip field too small");

bool IsInTray(HWND window)
{
    return GetPropW(window, TrayProperty) != nullptr;
}

// Out of the tray the window carries no property at all.
void SetInTray(HWND window, bool inTray)
{
    if (inTray) {
        SetPropW(window, TrayProperty, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(1)));
    } else {
        RemovePropW(window, TrayProperty);
    }
}

// "TaskbarCreated": a restarted shell has forgotten every icon.
UINT ShellRestartMessage()
{
    static UINT message = 0;
    if (message == 0) message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

// The record that names the icon: the first, shortest form of the structure,
// understood by every shell.
NOTIFYICONDATAW IconRecord(HWND window)
{
    NOTIFYICONDATAW record = {};
    record.cbSize = NOTIFYICONDATAW_V1_SIZE;
    record.hWnd = window;
    record.uID = TrayIconId;
    return record;
}

HICON AskForIcon(HWND window, WPARAM which)
{
    DWORD_PTR icon = 0;
    if (!SendMessageTimeoutW(window, WM_GETICON, which, 0, SMTO_ABORTIFHUNG, IconQueryTimeout, &icon)) return nullptr;
    return reinterpret_cast<HICON>(icon);
}

HICON ClassIcon(HWND window, int index)
{
    return reinterpret_cast<HICON>(GetClassLongPtrW(window, index));
}

// The window's small icon if it has one, else its large one; may be null.
HICON ChooseIcon(HWND window)
{
    HICON icon = AskForIcon(window, ICON_SMALL);
    if (icon == nullptr) icon = ClassIcon(window, GCLP_HICONSM);
    if (icon == nullptr) icon = AskForIcon(window, ICON_BIG);
    if (icon == nullptr) icon = ClassIcon(window, GCLP_HICON);
    return icon;
}

void DeleteIcon(HWND window)
{
    NOTIFYICONDATAW record = IconRecord(window);
    Shell_NotifyIconW(NIM_DELETE, &record);
}

bool AddIcon(HWND window)
{
    NOTIFYICONDATAW record = IconRecord(window);
    record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    record.uCallbackMessage = MsgTrayNotify();
    record.hIcon = ChooseIcon(window);
    GetWindowTextW(window, record.szTip, TipUnits - 1);
    record.szTip[TipUnits - 1] = 0;
    return Shell_NotifyIconW(NIM_ADD, &record) != FALSE;
}

// Answers whether the window is now in the tray.
bool SendToTray(HWND window)
{
    if (IsInTray(window)) return true;
    // Without an icon there would be nothing left to bring the window back.
    if (!AddIcon(window)) return false;
    CloseWindow(window);
    ShowWindow(window, SW_HIDE);
    SetInTray(window, true);
    return true;
}

void BringBack(HWND window)
{
    if (!IsInTray(window)) return;
    DeleteIcon(window);
    ShowWindow(window, SW_SHOW);
    OpenIcon(window);
    SetInTray(window, false);
}

// The window was shown by someone else: the icon goes, the window stays as shown.
void DropIcon(HWND window)
{
    if (!IsInTray(window)) return;
    DeleteIcon(window);
    SetInTray(window, false);
}

LRESULT RunTrayCommand(HWND window, UINT message, WPARAM command)
{
    switch (command) {
    case FeatureOn:
        return SendToTray(window) ? 1 : 0;
    case FeatureOff:
        BringBack(window);
        return 1;
    case FeatureToggle:
        return ToggleFeature(window, message);
    case FeatureQuery:
        return IsInTray(window) ? 1 : 0;
    default:
        return 0;
    }
}

void OnIconEvent(HWND window, LPARAM event)
{
    if (event == WM_LBUTTONUP) {
        SendMessageW(window, MsgTray(), FeatureOff, 0);
    } else if (event == WM_RBUTTONDOWN) {
        PostMessageW(window, PopupSystemMenu, 0, static_cast<LPARAM>(GetMessagePos()));
    }
}

} // namespace

bool TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (message) {
    case WM_WINDOWPOSCHANGED:
        // Any program may send this one; without a record it is left alone.
        if (lParam != 0 && (reinterpret_cast<const WINDOWPOS*>(lParam)->flags & SWP_SHOWWINDOW) != 0 &&
            HasCaption(window)) {
            DropIcon(window);
        }
        return false;
    case WM_DESTROY:
        // Only a window in the tray has an icon to take away.
        if (IsInTray(window) && HasCaption(window)) DeleteIcon(window);
        return false;
    default:
        break;
    }
    if (message == MsgTray()) {
        if (!HasCaption(window)) return false;
        result = RunTrayCommand(window, message, wParam);
        return true;
    }
    if (message == ShellRestartMessage()) {
        if (IsInTray(window) && HasCaption(window)) AddIcon(window);
        return false;
    }
    if (message == MsgTrayNotify()) {
        if (HasCaption(window)) OnIconEvent(window, lParam);
        return false;
    }
    return false;
}
