// CWndProxy: a non-owning handle to a window whose operations throw
// CWindowsError when the wrapped call fails.
#pragma once

#include <windows.h>

class CWndProxy {
public:
    CWndProxy() : m_hwnd(nullptr) {}
    explicit CWndProxy(HWND hwnd) : m_hwnd(hwnd) {}
    CWndProxy(const CWndProxy&) = default;
    CWndProxy& operator=(const CWndProxy&) = default;
    // Forgets the handle; the window itself is never destroyed here.
    virtual ~CWndProxy() { m_hwnd = nullptr; }

    HWND Handle() const { return m_hwnd; }
    void Attach(HWND hwnd) { m_hwnd = hwnd; }

    BOOL GetClientRect(RECT& rect) const;
    void GetWindowRect(RECT& rect) const;
    BOOL InvalidateRect(const RECT* rect, bool erase) const;
    BOOL GetWindowPlacement(WINDOWPLACEMENT& placement) const;
    void SetWindowPlacement(const WINDOWPLACEMENT& placement) const;
    void MoveWindow(int x, int y, int width, int height, bool repaint) const;
    BOOL DestroyWindow() const;
    void EndDialog(INT_PTR result) const;
    BOOL SetWindowText(const wchar_t* text) const;
    CWndProxy GetDlgItem(int id) const;
    int MessageBox(const wchar_t* text, const wchar_t* caption, UINT type) const;

protected:
    HWND m_hwnd;
};
