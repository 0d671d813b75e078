#include "ManagedWindow.h"

#include <commctrl.h>

#include "FeatureMessages.h"
#include "MessageHandlers.h"
#include "SystemMenu.h"
#include "TitleButtons.h"
#include "WindowsError.h"

WindowSubclassed::WindowSubclassed(HWND window) : m_window(window)
{
    SetWindowSubclass(window, WindowSubclassProc, SubclassId, reinterpret_cast<DWORD_PTR>(this));
}

bool WindowSubclassed::IsSubclassed(HWND window)
{
    DWORD_PTR reference = 0;
    return GetWindowSubclass(window, WindowSubclassProc, SubclassId, &reference) != FALSE;
}

LRESULT WindowSubclassed::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY || message == MsgUnsubclass()) {
        const HWND window = m_window;
        const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
        RemoveWindowSubclass(window, WindowSubclassProc, SubclassId);
        delete this;
        return result;
    }
    return DefSubclassProc(m_window, message, wParam, lParam);
}

LRESULT CALLBACK WindowSubclassed::WindowSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                      UINT_PTR, DWORD_PTR reference)
{
    try {
        return reinterpret_cast<WindowSubclassed*>(reference)->HandleMessage(message, wParam, lParam);
    } catch (const CWindowsError& error) {
        ReportError(window, window, error.Message());
    } catch (...) {
        ReportError(window, window, L"Unknown Exception. Caught in WindowSubclassed::WindowSubclassProc");
    }
    return 0;
}

ManagedWindow::ManagedWindow(HWND window) : WindowSubclassed(window)
{
    AddSystemMenuItems(window);
    AddOnTopTitleButton(window);
}

ManagedWindow::~ManagedWindow()
{
    RemoveSystemMenuItems(m_window);
    RemoveTitleButtons(m_window);
}

LRESULT ManagedWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = lParam;
    for (const MessageHandler* handler = MessageHandlers; *handler != nullptr; ++handler) {
        if ((*handler)(m_window, message, wParam, lParam, result)) return result;
    }
    return WindowSubclassed::HandleMessage(message, wParam, lParam);
}
