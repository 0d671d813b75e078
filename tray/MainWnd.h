// The hidden main window of the tray program: owner of the notification-area
// icon and its menu, of the move/size overlay and of the About dialog.
#pragma once

#include <windows.h>

#include <string>

#include "WndHandler.h"

// The callback message of the notification-area icon.
constexpr UINT TrayCallbackMessage = WM_USER;

class CMainWnd : public CWndHandler {
public:
    explicit CMainWnd(WNDPROC defaultProcedure);

    LRESULT OnCreate(CREATESTRUCTW* create) override;
    LRESULT OnCommand(UINT notifyCode, WPARAM wParam, LPARAM control) override;
    LRESULT OnDestroy() override;
    // The always-on-top hotkey.
    LRESULT OnHotKey(UINT modifiers, UINT virtualKey, WPARAM id) override;
    LRESULT OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

    virtual HICON GetTrayIcon(UINT id);
    virtual void GetTrayTip(UINT id, wchar_t* buffer, size_t capacity);
    virtual LRESULT OnTrayNotify(UINT id, UINT mouseMessage);
    virtual LRESULT OnTrayMouseMove(UINT id);
    virtual LRESULT OnTrayLButtonDown(UINT id);
    virtual LRESULT OnTrayLButtonUp(UINT id);
    virtual LRESULT OnTrayLButtonDblClk(UINT id);
    virtual LRESULT OnTrayRButtonDown(UINT id);
    virtual LRESULT OnTrayRButtonUp(UINT id);
    virtual LRESULT OnTrayRButtonDblClk(UINT id);
    virtual LRESULT OnTrayMButtonDown(UINT id);
    virtual LRESULT OnTrayMButtonUp(UINT id);
    virtual LRESULT OnTrayMButtonDblClk(UINT id);

    // Shell_NotifyIconW with NIM_ADD or NIM_DELETE for the icon `id`; after
    // NIM_ADD, NIM_SETVERSION asks for version 4 (WM_CONTEXTMENU on the right
    // button's release, the icon id in the high word of lParam).
    void NotifyIcon(UINT id, DWORD command);
    // A balloon at the icon; a failure is not reported.
    void ShowBalloon(UINT id, const std::wstring& text);

private:
    // The icon's menu, opened at `at`.
    LRESULT ShowMenu(POINT at);

    bool m_iconVersion4 = false;
};

ATOM RegisterMainWindowClass(HINSTANCE instance);
// Registers the class on first use and creates the hidden main window.
CMainWnd* CreateMainWindow(HINSTANCE instance);
// The program icon, loaded when the class was registered.
HICON ProgramIcon();

// Copies `text` into `buffer` (at most `capacity` characters), filling the
// rest with NULs; like wcsncpy, the result is unterminated when the text is
// as long as the buffer.
void CopyBounded(const wchar_t* text, wchar_t* buffer, size_t capacity);
