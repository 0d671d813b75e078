// The per-window subclass of a managed window.
#pragma once

#include <windows.h>

// What the library keeps on the window's thread while it handles one message
// of a managed window. Frames nest as sent messages nest; the innermost is
// the thread's current frame.
struct MessageFrame {
    const void* owner;  // the subclass object that handles the message
    DWORD callerError;  // the thread's last error when the message arrived
    DWORD ownError;     // what the window's own procedure left, once it ran
    bool ownCalled;
    bool ownerDeleted;  // the subclass object went while the message ran
    MessageFrame* outer;
};

// Makes a frame the thread's current one for the life of the scope. At its
// end the thread's last error is what the window's own procedure left, or,
// when that never ran, what the caller had: nothing the library calls in
// between shows through.
class CMessageFrameScope {
public:
    explicit CMessageFrameScope(const void* owner);
    ~CMessageFrameScope();
    CMessageFrameScope(const CMessageFrameScope&) = delete;
    CMessageFrameScope& operator=(const CMessageFrameScope&) = delete;
    MessageFrame& Frame() { return m_frame; }

private:
    MessageFrame m_frame;
};

// The window's own procedure (DefSubclassProc) for the message the current
// frame handles, entered with the caller's last error.
LRESULT CallOwnProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The slot of the current frame; allocated at process attach. Without it a
// release could run twice, so no window is admitted then.
bool AllocateMessageFrameSlot();
void FreeMessageFrameSlot();
bool MessageFrameSlotReady();

// Subclasses one window with the common-controls subclassing service and
// releases itself, exactly once, at WM_DESTROY or at the unsubclass message.
class WindowSubclassed {
public:
    static constexpr UINT_PTR SubclassId = 0x00125690;

    explicit WindowSubclassed(HWND window);
    WindowSubclassed(const WindowSubclassed&) = delete;
    WindowSubclassed& operator=(const WindowSubclassed&) = delete;
    virtual ~WindowSubclassed();

    virtual LRESULT HandleMessage(MessageFrame& frame, UINT message, WPARAM wParam, LPARAM lParam);

    static LRESULT CALLBACK WindowSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                               UINT_PTR id, DWORD_PTR reference);

    // True when the window already carries this subclass.
    static bool IsSubclassed(HWND window);

protected:
    HWND m_window;
    bool m_windowGoing = false;  // released at WM_DESTROY: no repaint is worth it
};

// The layered attributes a window's program had before "Transparent" went
// on, given back when it goes off.
struct OwnLayeredAttributes {
    bool saved;
    bool styleAdded;  // the window was not layered at all
    COLORREF key;
    BYTE alpha;
    DWORD flags;
};

// An admitted window: the feature items in its system menu, the title button
// and the handler chain in front of its own procedure.
class ManagedWindow : public WindowSubclassed {
public:
    explicit ManagedWindow(HWND window);
    ~ManagedWindow() override;
    LRESULT HandleMessage(MessageFrame& frame, UINT message, WPARAM wParam, LPARAM lParam) override;
    // This copy's object of the window, or null.
    static ManagedWindow* Find(HWND window);

    OwnLayeredAttributes ownLayered = {};
};

// True when this copy of the library manages the window, or another copy
// (an old one renamed aside by setup, a portable one) does: that copy's
// title-button block is on the window.
bool IsManagedByAnyCopy(HWND window);
