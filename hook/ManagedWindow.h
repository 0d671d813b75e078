// The per-window subclass of a managed window.
#pragma once

#include <windows.h>

// Subclasses one window with the common-controls subclassing service and
// releases itself at WM_DESTROY or at the unsubclass message.
class WindowSubclassed {
public:
    static constexpr UINT_PTR SubclassId = 0x00125690;

    explicit WindowSubclassed(HWND window);
    WindowSubclassed(const WindowSubclassed&) = delete;
    WindowSubclassed& operator=(const WindowSubclassed&) = delete;
    virtual ~WindowSubclassed() {}

    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    static LRESULT CALLBACK WindowSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                               UINT_PTR id, DWORD_PTR reference);

    // True when the window already carries this subclass.
    static bool IsSubclassed(HWND window);

protected:
    HWND m_window;
};

// An admitted window: the feature items in its system menu, the title button
// and the handler chain in front of its own procedure.
class ManagedWindow : public WindowSubclassed {
public:
    explicit ManagedWindow(HWND window);
    ~ManagedWindow() override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};
