// Device contexts and GDI objects as scope objects.
#pragma once

#include <windows.h>

#include "WndProxy.h"

// Wraps a device context owned by someone else; releasing it does nothing.
class CDevContext {
public:
    CDevContext() : m_hdc(nullptr) {}
    explicit CDevContext(HDC hdc) : m_hdc(hdc) {}
    CDevContext(const CDevContext&) = delete;
    CDevContext& operator=(const CDevContext&) = delete;
    virtual ~CDevContext() {}
    virtual int Release() { return 0; }

    HDC Handle() const { return m_hdc; }

    int DrawText(const wchar_t* text, int count, RECT& rect, UINT format) const;
    void SetBkColor(COLORREF colour) const;
    void SetTextColor(COLORREF colour) const;

protected:
    HDC m_hdc;
};

// The device context of a whole window (GetDC / ReleaseDC).
class CWindowDC : public CDevContext {
public:
    explicit CWindowDC(const CWndProxy& window);
    ~CWindowDC() override;
    int Release() override;

private:
    void Create(const CWndProxy& window);
    CWndProxy m_window;
};

// The paint context of WM_PAINT (BeginPaint / EndPaint).
class CPaintDC : public CDevContext {
public:
    explicit CPaintDC(const CWndProxy& window);
    ~CPaintDC() override;
    int Release() override;
    const PAINTSTRUCT& PaintStruct() const { return m_paint; }

private:
    void Create(const CWndProxy& window);
    PAINTSTRUCT m_paint;
    CWndProxy m_window;
};

// The device context of a whole window, frame included (GetWindowDC /
// ReleaseDC). Never throws: a failed call leaves a null handle, on which
// drawing fails quietly.
class CFrameDC : public CDevContext {
public:
    explicit CFrameDC(HWND window) : CDevContext(GetWindowDC(window)), m_window(window) {}
    ~CFrameDC() override { CFrameDC::Release(); }
    int Release() override
    {
        const int released = m_hdc != nullptr ? ReleaseDC(m_window, m_hdc) : 0;
        m_hdc = nullptr;
        return released;
    }

private:
    HWND m_window;
};

// A memory device context compatible with another (CreateCompatibleDC /
// DeleteDC). Never throws, as CFrameDC.
class CMemoryDC : public CDevContext {
public:
    explicit CMemoryDC(HDC compatible) : CDevContext(CreateCompatibleDC(compatible)) {}
    ~CMemoryDC() override { CMemoryDC::Release(); }
    int Release() override
    {
        const int deleted = m_hdc != nullptr ? DeleteDC(m_hdc) : 0;
        m_hdc = nullptr;
        return deleted;
    }
};

// A GDI object handle, deleted on release when owned.
class CGdiObject {
public:
    CGdiObject() : m_handle(nullptr), m_owned(false) {}
    CGdiObject(HGDIOBJ handle, bool owned) : m_handle(handle), m_owned(owned) {}
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;
    virtual ~CGdiObject() { Release(); }

    void Attach(HGDIOBJ handle, bool owned)
    {
        Release();
        m_handle = handle;
        m_owned = owned;
    }
    HGDIOBJ Handle() const { return m_handle; }

private:
    void Release()
    {
        if (m_owned && m_handle != nullptr) DeleteObject(m_handle);
        m_handle = nullptr;
        m_owned = false;
    }
    HGDIOBJ m_handle;
    bool m_owned;
};

// Selects an object into a device context for the life of the scope.
class CObjectSelection {
public:
    CObjectSelection(CDevContext& dc, const CGdiObject& object)
        : m_dc(&dc), m_previous(SelectObject(dc.Handle(), object.Handle()), false) {}
    CObjectSelection(const CObjectSelection&) = delete;
    CObjectSelection& operator=(const CObjectSelection&) = delete;
    ~CObjectSelection()
    {
        SelectObject(m_dc->Handle(), m_previous.Handle());
        m_previous.Attach(nullptr, false);
    }

private:
    CDevContext* m_dc;
    CGdiObject m_previous;
};
