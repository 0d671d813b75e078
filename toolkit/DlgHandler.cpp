#include "DlgHandler.h"

#include <algorithm>
#include <map>

#include "WindowsError.h"

namespace {

// Dialog window -> its handler, from WM_INITDIALOG until WM_DESTROY.
std::map<HWND, CDlgHandler*>& DialogRegistry()
{
    static std::map<HWND, CDlgHandler*> registry;
    return registry;
}

// Drops every entry that still points at `handler`.
void ForgetHandler(const CDlgHandler* handler)
{
    auto& registry = DialogRegistry();
    for (auto entry = registry.begin(); entry != registry.end();) {
        entry = entry->second == handler ? registry.erase(entry) : std::next(entry);
    }
}

} // namespace

CDlgHandler* FindDlgHandler(HWND dialog)
{
    const auto& registry = DialogRegistry();
    const auto entry = registry.find(dialog);
    return entry == registry.end() ? nullptr : entry->second;
}

INT_PTR CALLBACK DlgHandlerWindowProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        CDlgHandler* handler = FindDlgHandler(dialog);
        if (message == WM_INITDIALOG) {
            handler = reinterpret_cast<CDlgHandler*>(lParam);
            if (handler != nullptr) {
                handler->Attach(dialog);
                // A handle the system hands out again belongs to this dialog
                // now, whatever an earlier dialog left behind under it.
                DialogRegistry()[dialog] = handler;
            }
        }
        if (handler == nullptr) return 0;
        return handler->OnMessage(message, wParam, lParam);
    } catch (const CWindowsError& error) {
        ReportError(nullptr, dialog, error.Message());
    } catch (...) {
        ReportError(nullptr, dialog, L"Unknown Exception. Caught in DlgHandlerWindowProc");
    }
    return 0;
}

CDlgHandler::CDlgHandler() : m_message(0), m_wParam(0), m_lParam(0) {}

CDlgHandler::~CDlgHandler()
{
    ForgetHandler(this);
}

INT_PTR CDlgHandler::RunModal(HWND parent, WORD templateId, HINSTANCE instance)
{
    const INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), parent, DlgHandlerWindowProc,
                                           reinterpret_cast<LPARAM>(this));
    // The dialog is gone: a binding that a derived OnDestroy left in place
    // must not route a later dialog's messages here.
    ForgetHandler(this);
    m_hwnd = nullptr;
    return result;
}

void CDlgHandler::AddObserver(CDlgMessageObserver* observer)
{
    if (std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end()) {
        m_observers.push_back(observer);
    }
}

void CDlgHandler::RemoveObserver(CDlgMessageObserver* observer)
{
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer), m_observers.end());
}

INT_PTR CDlgHandler::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // WM_DESTROY empties the handle; errors are still captioned with the
    // dialog's title.
    const HWND dialog = m_hwnd;
    INT_PTR result = 0;
    try {
        m_message = message;
        m_wParam = wParam;
        m_lParam = lParam;
        for (CDlgMessageObserver* observer : m_observers) observer->BeforeMessage(*this, message, wParam, lParam);
        result = Decode(message, wParam, lParam);
        if (message != WM_NCDESTROY) {
            for (CDlgMessageObserver* observer : m_observers) observer->AfterMessage(*this, message, wParam, lParam);
        }
    } catch (const CWindowsError& error) {
        ReportError(nullptr, dialog, error.Message());
    } catch (...) {
        ReportError(dialog, dialog, L"Unknown Exception. Caught in CDlgHandler:OnMessage");
    }
    return result;
}

INT_PTR CDlgHandler::Decode(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        return OnDestroy();
    case WM_INITDIALOG:
        return OnInitDialog(wParam);
    case WM_COMMAND:
        return OnCommand(HIWORD(wParam), wParam, lParam);
    default:
        return OnOtherMessage(message, wParam, lParam);
    }
}

INT_PTR CDlgHandler::OnInitDialog(WPARAM)
{
    return 1;
}

INT_PTR CDlgHandler::OnCommand(UINT, WPARAM wParam, LPARAM)
{
    switch (LOWORD(wParam)) {
    case IDOK:
        return OnOK();
    case IDCANCEL:
        return OnCancel();
    default:
        return 0;
    }
}

INT_PTR CDlgHandler::OnDestroy()
{
    auto& registry = DialogRegistry();
    const auto entry = registry.find(m_hwnd);
    if (entry != registry.end() && entry->second == this) registry.erase(entry);
    m_hwnd = nullptr;
    return 1;
}

INT_PTR CDlgHandler::OnOtherMessage(UINT, WPARAM, LPARAM)
{
    return 0;
}

INT_PTR CDlgHandler::OnOK()
{
    EndDialog(1);
    return 1;
}

INT_PTR CDlgHandler::OnCancel()
{
    EndDialog(0);
    return 1;
}
