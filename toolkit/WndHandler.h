// The window handler framework: one window procedure for every window class
// of the tray program, a process-wide map from window to handler object, and
// the handler base class that decodes messages into virtual operations.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "DevContext.h"
#include "WndProxy.h"

class CWndHandler;

// Sees every decoded message of a handler before and after it is handled.
class CMessageObserver {
public:
    virtual void BeforeMessage(CWndHandler& handler, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual void AfterMessage(CWndHandler& handler, UINT message, WPARAM wParam, LPARAM lParam) = 0;

protected:
    ~CMessageObserver() = default;
};

// The window procedure registered for every framework window class.
LRESULT CALLBACK WndHandlerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The handler registered for a window, or null.
CWndHandler* FindWndHandler(HWND window);

class CWndHandler : public CWndProxy {
public:
    explicit CWndHandler(WNDPROC defaultProcedure);
    CWndHandler(const CWndHandler&) = delete;
    CWndHandler& operator=(const CWndHandler&) = delete;
    ~CWndHandler() override;

    // Creates a window of a class registered with WndHandlerWindowProc and
    // binds `handler` to it. The handler belongs to the window from this call
    // on: when creation fails, the handler has been deleted (by the window's
    // own WM_NCDESTROY, or here when the window never came to exist) and the
    // CWindowsError "CWndHandler::CreateWnd " is thrown.
    static void CreateWnd(CWndHandler* handler, LPCWSTR windowClass, LPCWSTR windowName, DWORD style, DWORD exStyle,
                          int x, int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance);

    // Forwards the current message to the default procedure.
    LRESULT DoDefault();

    // Observers are not owned; adding one twice has no effect.
    void AddObserver(CMessageObserver* observer);
    void RemoveObserver(CMessageObserver* observer);

    virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnCreate(CREATESTRUCTW* create);
    virtual LRESULT OnPaint(CPaintDC& dc);
    virtual LRESULT OnMove(int x, int y);
    virtual LRESULT OnMouseMove(WPARAM keys, UINT x, UINT y);
    virtual LRESULT OnMouseLeave();
    virtual LRESULT OnLButtonDown(WPARAM keys, UINT x, UINT y);
    virtual LRESULT OnLButtonUp(WPARAM keys, UINT x, UINT y);
    virtual LRESULT OnLButtonDblClk(WPARAM keys, UINT x, UINT y);
    virtual LRESULT OnRButtonDown(WPARAM keys, UINT x, UINT y);
    virtual LRESULT OnRButtonUp(WPARAM keys, UINT x, UINT y);
    virtual LRESULT OnRButtonDblClk(WPARAM keys, UINT x, UINT y);
    virtual LRESULT OnMButtonDown(WPARAM keys, UINT x, UINT y);
    virtual LRESULT OnMButtonUp(WPARAM keys, UINT x, UINT y);
    virtual LRESULT OnMButtonDblClk(WPARAM keys, UINT x, UINT y);
    virtual LRESULT OnActivate(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnCommand(UINT notifyCode, WPARAM wParam, LPARAM control);
    virtual LRESULT OnDrawItem(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnDropFiles(HDROP drop);
    virtual LRESULT OnEraseBkgnd(CDevContext& dc);
    virtual LRESULT OnEnterSizeMove();
    virtual LRESULT OnExitSizeMove();
    virtual LRESULT OnGetIcon(WPARAM type);
    virtual LRESULT OnGetMinMaxInfo(MINMAXINFO* info);
    virtual LRESULT OnHotKey(UINT modifiers, UINT virtualKey, WPARAM id);
    virtual LRESULT OnHScroll(HWND scrollBar, UINT request, UINT position);
    virtual LRESULT OnVScroll(HWND scrollBar, UINT request, UINT position);
    virtual LRESULT OnInitMenuPopup(HMENU menu, UINT position, UINT windowMenu);
    virtual LRESULT OnKeyDown(WPARAM virtualKey, LPARAM* keyData);
    virtual LRESULT OnKeyUp(WPARAM virtualKey, LPARAM* keyData);
    virtual LRESULT OnMeasureItem(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnMenuSelect(UINT item, UINT flags, HMENU menu);
    virtual LRESULT OnMouseWheel(UINT keys, UINT delta, LPARAM* position);
    virtual LRESULT OnNotify(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnSettingChange(WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnSetCursor(HWND window, UINT hitTest, UINT mouseMessage);
    virtual LRESULT OnSize(WPARAM type, UINT width, UINT height);
    virtual LRESULT OnSizing(WPARAM edge, RECT* rect);
    virtual LRESULT OnSysKeyDown(WPARAM virtualKey, LPARAM* keyData);
    virtual LRESULT OnSysKeyUp(WPARAM virtualKey, LPARAM* keyData);
    virtual LRESULT OnTimer(WPARAM id, LPARAM callback);
    virtual LRESULT OnClose();
    virtual LRESULT OnDestroy();
    virtual LRESULT OnNcMouseMove(WPARAM hitTest, UINT x, UINT y);
    virtual LRESULT OnNcDestroy();
    virtual LRESULT OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam);

    UINT CurrentMessage() const { return m_message; }
    WPARAM CurrentWParam() const { return m_wParam; }
    LPARAM CurrentLParam() const { return m_lParam; }

private:
    // One per running OnMessage (and per CreateWnd) of this handler, innermost
    // first; the destructor marks them all, so code that outlives the handler
    // on the stack can tell without touching it.
    struct LifeFrame {
        bool deleted;
        LifeFrame* outer;
    };
    friend class CLifeFrameScope;

    LRESULT Decode(UINT message, WPARAM wParam, LPARAM& lParam);

    std::vector<CMessageObserver*> m_observers;
    UINT m_message;
    WPARAM m_wParam;
    LPARAM m_lParam;
    WNDPROC m_defaultProcedure;
    LifeFrame* m_lifeFrames;
};

// Creates a framework window from stored parameters.
class CWndCreator {
public:
    CWndCreator() = default;
    virtual ~CWndCreator() = default;

    // A new heap-allocated handler of the wanted class.
    virtual CWndHandler* CreateHandler() = 0;
    // Creates the handler and its window. When creation fails the handler is
    // already gone (see CWndHandler::CreateWnd) and the error is passed on.
    CWndHandler* Create();

    LPCWSTR windowClass = nullptr;
    LPCWSTR windowName = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = CW_USEDEFAULT;
    int y = CW_USEDEFAULT;
    int width = CW_USEDEFAULT;
    int height = CW_USEDEFAULT;
    CWndProxy parent;
    HMENU menu = nullptr;
    HINSTANCE instance = nullptr;
};
