// The dialog handler framework: one dialog procedure for every modal dialog
// of the tray program, a process-wide map from dialog window to handler
// object, and the handler base class that decodes messages into virtual
// operations. A dialog handler belongs to the code that shows the dialog and
// is never deleted here.
#pragma once

#include <windows.h>

#include <vector>

#include "WndProxy.h"

class CDlgHandler;

// Sees every decoded message of a dialog handler before and after it is handled.
class CDlgMessageObserver {
public:
    virtual void BeforeMessage(CDlgHandler& handler, UINT message, WPARAM wParam, LPARAM lParam) = 0;
    virtual void AfterMessage(CDlgHandler& handler, UINT message, WPARAM wParam, LPARAM lParam) = 0;

protected:
    ~CDlgMessageObserver() = default;
};

// The dialog procedure of every framework dialog.
INT_PTR CALLBACK DlgHandlerWindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The handler registered for a dialog window, or null.
CDlgHandler* FindDlgHandler(HWND dialog);

class CDlgHandler : public CWndProxy {
public:
    CDlgHandler();
    CDlgHandler(const CDlgHandler&) = delete;
    CDlgHandler& operator=(const CDlgHandler&) = delete;
    ~CDlgHandler() override;

    // Shows the dialog template `templateId` of `instance` modally, owned by
    // `parent`, and returns the value given to EndDialog (-1 when the dialog
    // could not be created; that is not reported).
    INT_PTR RunModal(HWND parent, WORD templateId, HINSTANCE instance);

    // Observers are not owned; adding one twice has no effect.
    void AddObserver(CDlgMessageObserver* observer);
    void RemoveObserver(CDlgMessageObserver* observer);

    // Each operation returns the dialog procedure's result: nonzero when the
    // message was handled, 0 for the dialog manager's own processing.
    virtual INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual INT_PTR OnInitDialog(WPARAM focusControl);
    virtual INT_PTR OnCommand(UINT notifyCode, WPARAM wParam, LPARAM control);
    virtual INT_PTR OnDestroy();
    virtual INT_PTR OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual INT_PTR OnOK();
    virtual INT_PTR OnCancel();

    UINT CurrentMessage() const { return m_message; }
    WPARAM CurrentWParam() const { return m_wParam; }
    LPARAM CurrentLParam() const { return m_lParam; }

private:
    INT_PTR Decode(UINT message, WPARAM wParam, LPARAM lParam);

    std::vector<CDlgMessageObserver*> m_observers;
    UINT m_message;
    WPARAM m_wParam;
    LPARAM m_lParam;
};
