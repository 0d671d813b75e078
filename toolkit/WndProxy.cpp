#include "WndProxy.h"

#include "WindowsError.h"

namespace {

[[noreturn]] void ThrowLastError(const wchar_t* operation)
{
    throw CWindowsError(GetLastError(), operation);
}

} // namespace

BOOL CWndProxy::GetClientRect(RECT& rect) const
{
    const BOOL result = ::GetClientRect(m_hwnd, &rect);
    if (!result) ThrowLastError(L"CWndProxy::GetClientRect ");
    return result;
}

void CWndProxy::GetWindowRect(RECT& rect) const
{
    if (!::GetWindowRect(m_hwnd, &rect)) ThrowLastError(L"CWndProxy::GetWindowRect ");
}

BOOL CWndProxy::InvalidateRect(const RECT* rect, bool erase) const
{
    const BOOL result = ::InvalidateRect(m_hwnd, rect, erase ? TRUE : FALSE);
    if (!result) ThrowLastError(L"CWndProxy::InvalidateRect ");
    return result;
}

BOOL CWndProxy::GetWindowPlacement(WINDOWPLACEMENT& placement) const
{
    const BOOL result = ::GetWindowPlacement(m_hwnd, &placement);
    if (!result) ThrowLastError(L"CWndProxy::GetWindowPlacement ");
    return result;
}

void CWndProxy::SetWindowPlacement(const WINDOWPLACEMENT& placement) const
{
    if (!::SetWindowPlacement(m_hwnd, &placement)) ThrowLastError(L"CWndProxy::SetWindowPlacement ");
}

void CWndProxy::MoveWindow(int x, int y, int width, int height, bool repaint) const
{
    if (!::MoveWindow(m_hwnd, x, y, width, height, repaint ? TRUE : FALSE)) {
        ThrowLastError(L"CWndProxy::MoveWindow ");
    }
}

BOOL CWndProxy::DestroyWindow() const
{
    const BOOL result = ::DestroyWindow(m_hwnd);
    if (!result) ThrowLastError(L"CWndProxy::DestroyWindow ");
    return result;
}

void CWndProxy::EndDialog(INT_PTR result) const
{
    if (!::EndDialog(m_hwnd, result)) ThrowLastError(L"CWndProxy::EndDialog ");
}

BOOL CWndProxy::SetWindowText(const wchar_t* text) const
{
    const BOOL result = ::SetWindowTextW(m_hwnd, text);
    if (!result) ThrowLastError(L"CWndProxy::SetWindowText ");
    return result;
}

CWndProxy CWndProxy::GetDlgItem(int id) const
{
    const HWND control = ::GetDlgItem(m_hwnd, id);
    if (control == nullptr) ThrowLastError(L"CWndProxy::GetDlgItem ");
    return CWndProxy(control);
}

int CWndProxy::MessageBox(const wchar_t* text, const wchar_t* caption, UINT type) const
{
    return ::MessageBoxW(m_hwnd, text, caption, type);
}
