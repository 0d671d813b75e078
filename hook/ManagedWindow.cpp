#include "ManagedWindow.h"

#include <commctrl.h>

#include "FeatureMessages.h"
#include "MessageHandlers.h"
#include "SystemMenu.h"
#include "TitleButtons.h"
#include "WindowsError.h"

namespace {

DWORD frameSlot = TLS_OUT_OF_INDEXES;

MessageFrame* CurrentFrame()
{
    if (frameSlot == TLS_OUT_OF_INDEXES) return nullptr;
    return static_cast<MessageFrame*>(TlsGetValue(frameSlot));
}

void SetCurrentFrame(MessageFrame* frame)
{
    if (frameSlot != TLS_OUT_OF_INDEXES) TlsSetValue(frameSlot, frame);
}

} // namespace

bool AllocateMessageFrameSlot()
{
    frameSlot = TlsAlloc();
    return frameSlot != TLS_OUT_OF_INDEXES;
}

bool MessageFrameSlotReady()
{
    return frameSlot != TLS_OUT_OF_INDEXES;
}

void FreeMessageFrameSlot()
{
    if (frameSlot != TLS_OUT_OF_INDEXES) TlsFree(frameSlot);
    frameSlot = TLS_OUT_OF_INDEXES;
}

CMessageFrameScope::CMessageFrameScope(const void* owner)
    : m_frame{owner, GetLastError(), 0, false, false, nullptr}
{
    m_frame.outer = CurrentFrame();
    SetCurrentFrame(&m_frame);
}

CMessageFrameScope::~CMessageFrameScope()
{
    SetCurrentFrame(m_frame.outer);
    SetLastError(m_frame.ownCalled ? m_frame.ownError : m_frame.callerError);
}

LRESULT CallOwnProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    MessageFrame* frame = CurrentFrame();
    if (frame != nullptr) SetLastError(frame->callerError);
    const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    if (frame != nullptr) {
        frame->ownError = GetLastError();
        frame->ownCalled = true;
    }
    return result;
}

WindowSubclassed::WindowSubclassed(HWND window) : m_window(window)
{
    SetWindowSubclass(window, WindowSubclassProc, SubclassId, reinterpret_cast<DWORD_PTR>(this));
}

WindowSubclassed::~WindowSubclassed()
{
    // Messages of this window still running further out on the stack must
    // not touch the object again.
    for (MessageFrame* frame = CurrentFrame(); frame != nullptr; frame = frame->outer) {
        if (frame->owner == this) frame->ownerDeleted = true;
    }
}

bool WindowSubclassed::IsSubclassed(HWND window)
{
    DWORD_PTR reference = 0;
    return GetWindowSubclass(window, WindowSubclassProc, SubclassId, &reference) != FALSE;
}

bool IsManagedByAnyCopy(HWND window)
{
    return WindowSubclassed::IsSubclassed(window) || GetPropW(window, TitleButtonsProperty) != nullptr;
}

LRESULT WindowSubclassed::HandleMessage(MessageFrame& frame, UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND window = m_window;
    if (message != WM_DESTROY && message != MsgUnsubclass()) return CallOwnProcedure(window, message, wParam, lParam);
    // The window's own procedure runs first and may take in sent messages,
    // another release among them: whichever release ends first deletes the
    // object, and the frame tells the other.
    const LRESULT result = CallOwnProcedure(window, message, wParam, lParam);
    if (frame.ownerDeleted) return result;
    RemoveWindowSubclass(window, WindowSubclassProc, SubclassId);
    m_windowGoing = message == WM_DESTROY;
    delete this;
    return result;
}

LRESULT CALLBACK WindowSubclassed::WindowSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                                      UINT_PTR, DWORD_PTR reference)
{
    auto* object = reinterpret_cast<WindowSubclassed*>(reference);
    CMessageFrameScope scope(object);
    try {
        return object->HandleMessage(scope.Frame(), message, wParam, lParam);
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

ManagedWindow* ManagedWindow::Find(HWND window)
{
    DWORD_PTR reference = 0;
    // Admission puts no other object of this class on a window.
    if (!GetWindowSubclass(window, WindowSubclassProc, SubclassId, &reference)) return nullptr;
    return static_cast<ManagedWindow*>(reinterpret_cast<WindowSubclassed*>(reference));
}

ManagedWindow::~ManagedWindow()
{
    RemoveSystemMenuItems(m_window);
    RemoveTitleButtons(m_window, !m_windowGoing);
}

LRESULT ManagedWindow::HandleMessage(MessageFrame& frame, UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND window = m_window;
    LRESULT result = lParam;
    for (const MessageHandler* handler = MessageHandlers; *handler != nullptr; ++handler) {
        // A member may send messages that end with the window's release.
        if ((*handler)(window, message, wParam, lParam, result) || frame.ownerDeleted) return result;
    }
    return WindowSubclassed::HandleMessage(frame, message, wParam, lParam);
}
