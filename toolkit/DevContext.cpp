#include "DevContext.h"

#include "WindowsError.h"

int CDevContext::DrawText(const wchar_t* text, int count, RECT& rect, UINT format) const
{
    const int height = ::DrawTextW(m_hdc, text, count, &rect, format);
    if (height == 0) throw CWindowsError(GetLastError(), L"CDevContext::DrawText ");
    return height;
}

void CDevContext::SetBkColor(COLORREF colour) const
{
    if (::SetBkColor(m_hdc, colour) == CLR_INVALID) {
        throw CWindowsError(GetLastError(), L"CDevContext::SetBkColor ");
    }
}

void CDevContext::SetTextColor(COLORREF colour) const
{
    if (::SetTextColor(m_hdc, colour) == CLR_INVALID) {
        throw CWindowsError(GetLastError(), L"CDevContext::SetTextColor ");
    }
}

CWindowDC::CWindowDC(const CWndProxy& window)
{
    Create(window);
}

CWindowDC::~CWindowDC()
{
    CWindowDC::Release();
    m_window.Attach(nullptr);
}

void CWindowDC::Create(const CWndProxy& window)
{
    m_window.Attach(window.Handle());
    const HDC hdc = GetDC(m_window.Handle());
    const DWORD error = GetLastError();
    Release();
    m_hdc = hdc;
    if (m_hdc == nullptr) throw CWindowsError(error, L"CWindowDC::Create ");
}

int CWindowDC::Release()
{
    if (m_hdc == nullptr) return 0;
    const HDC hdc = m_hdc;
    m_hdc = nullptr;
    return ReleaseDC(m_window.Handle(), hdc);
}

CPaintDC::CPaintDC(const CWndProxy& window) : m_paint()
{
    Create(window);
}

CPaintDC::~CPaintDC()
{
    CPaintDC::Release();
    m_window.Attach(nullptr);
}

void CPaintDC::Create(const CWndProxy& window)
{
    m_window.Attach(window.Handle());
    PAINTSTRUCT paint = {};
    const HDC hdc = BeginPaint(m_window.Handle(), &paint);
    const DWORD error = GetLastError();
    Release();
    m_paint = paint;
    m_hdc = hdc;
    if (m_hdc == nullptr) throw CWindowsError(error, L"CPaintDC::Create ");
}

int CPaintDC::Release()
{
    if (m_hdc == nullptr) return 0;
    const BOOL result = EndPaint(m_window.Handle(), &m_paint);
    m_hdc = nullptr;
    return result;
}
