#include "WndHandler.h"

#include <shellapi.h>

#include <algorithm>
#include <map>

#include "WindowsError.h"

namespace {

std::map<HWND, CWndHandler*>& HandlerRegistry()
{
    static std::map<HWND, CWndHandler*> registry;
    return registry;
}

// Shows an error at a procedure boundary. A window that no longer exists
// can neither own the box nor give it a caption.
void ReportAt(HWND window, const std::wstring& text)
{
    const HWND owner = IsWindow(window) ? window : nullptr;
    ReportError(owner, owner, text);
}

} // namespace

// Links a frame into a handler's chain for the life of a scope and unlinks it
// again unless the handler was deleted meanwhile.
class CLifeFrameScope {
public:
    explicit CLifeFrameScope(CWndHandler& handler) : m_handler(handler), m_frame{false, handler.m_lifeFrames}
    {
        handler.m_lifeFrames = &m_frame;
    }
    ~CLifeFrameScope()
    {
        if (!m_frame.deleted) m_handler.m_lifeFrames = m_frame.outer;
    }
    CLifeFrameScope(const CLifeFrameScope&) = delete;
    CLifeFrameScope& operator=(const CLifeFrameScope&) = delete;

    bool HandlerDeleted() const { return m_frame.deleted; }

private:
    CWndHandler& m_handler;
    CWndHandler::LifeFrame m_frame;
};

CWndHandler* FindWndHandler(HWND window)
{
    const auto& registry = HandlerRegistry();
    const auto entry = registry.find(window);
    return entry != registry.end() ? entry->second : nullptr;
}

LRESULT CALLBACK WndHandlerWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    try {
        CWndHandler* handler = FindWndHandler(window);
        if (message == WM_NCCREATE) {
            const auto create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
            // A window of a framework class created without a handler stays
            // with the default procedure.
            handler = create != nullptr ? static_cast<CWndHandler*>(create->lpCreateParams) : nullptr;
            if (handler != nullptr) {
                handler->Attach(window);
                HandlerRegistry().emplace(window, handler);
            }
        }
        if (handler != nullptr) return handler->OnMessage(message, wParam, lParam);
        return DefWindowProcW(window, message, wParam, lParam);
    } catch (const CWindowsError& error) {
        ReportAt(window, error.Message());
    } catch (...) {
        ReportAt(window, L"Unknown Exception. Caught in WndHandlerWindowProc");
    }
    return 0;
}

CWndHandler::CWndHandler(WNDPROC defaultProcedure)
    : m_message(0), m_wParam(0), m_lParam(0), m_defaultProcedure(defaultProcedure), m_lifeFrames(nullptr)
{
}

CWndHandler::~CWndHandler()
{
    for (LifeFrame* frame = m_lifeFrames; frame != nullptr; frame = frame->outer) frame->deleted = true;
}

void CWndHandler::CreateWnd(CWndHandler* handler, LPCWSTR windowClass, LPCWSTR windowName, DWORD style,
                            DWORD exStyle, int x, int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance)
{
    HWND window = nullptr;
    DWORD error = 0;
    bool deleted = false;
    {
        CLifeFrameScope scope(*handler);
        window = CreateWindowExW(exStyle, windowClass, windowName, style, x, y, width, height, parent, menu, instance,
                                 handler);
        error = GetLastError();
        deleted = scope.HandlerDeleted();
    }
    if (window != nullptr) return;
    // A window destroyed during its own creation has deleted its handler at
    // WM_NCDESTROY; one that never existed leaves the handler to us.
    if (!deleted) delete handler;
    throw CWindowsError(error, L"CWndHandler::CreateWnd ");
}

LRESULT CWndHandler::DoDefault()
{
    try {
        return m_defaultProcedure(m_hwnd, m_message, m_wParam, m_lParam);
    } catch (const CWindowsError& error) {
        ReportAt(m_hwnd, error.Message());
    } catch (...) {
        ReportAt(m_hwnd, L"Unknown Exception. Caught in CWndHandler::DoDefault");
    }
    return 0;
}

void CWndHandler::AddObserver(CMessageObserver* observer)
{
    if (std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end()) {
        m_observers.push_back(observer);
    }
}

void CWndHandler::RemoveObserver(CMessageObserver* observer)
{
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), observer), m_observers.end());
}

LRESULT CWndHandler::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const HWND window = m_hwnd;
    CLifeFrameScope scope(*this);
    LRESULT result = 0;
    try {
        m_message = message;
        m_wParam = wParam;
        m_lParam = lParam;
        // Observers may change the list while they run; the copy keeps the
        // walk valid.
        const std::vector<CMessageObserver*> before = m_observers;
        for (CMessageObserver* observer : before) {
            observer->BeforeMessage(*this, message, wParam, lParam);
            if (scope.HandlerDeleted()) return 0;
        }
        LPARAM handledLParam = lParam;
        result = Decode(message, wParam, handledLParam);
        // An operation that destroyed this window has deleted the handler.
        if (scope.HandlerDeleted() || message == WM_NCDESTROY) return result;
        const std::vector<CMessageObserver*> after = m_observers;
        for (CMessageObserver* observer : after) {
            observer->AfterMessage(*this, message, wParam, handledLParam);
            if (scope.HandlerDeleted()) break;
        }
    } catch (const CWindowsError& error) {
        ReportAt(window, error.Message());
    } catch (...) {
        ReportAt(window, L"Unknown Exception. Caught in CWndHandler::OnMessage");
    }
    return result;
}

LRESULT CWndHandler::Decode(UINT message, WPARAM wParam, LPARAM& lParam)
{
    const UINT low = LOWORD(lParam);
    const UINT high = HIWORD(lParam);
    const UINT wLow = LOWORD(wParam);
    const UINT wHigh = HIWORD(wParam);
    switch (message) {
    case WM_CREATE:
        return OnCreate(reinterpret_cast<CREATESTRUCTW*>(lParam));
    case WM_PAINT: {
        CPaintDC dc(*this);
        return OnPaint(dc);
    }
    case WM_MOVE:
        return OnMove(static_cast<short>(low), static_cast<short>(high));
    case WM_MOUSEMOVE:
        return OnMouseMove(wParam, low, high);
    case WM_MOUSELEAVE:
        return OnMouseLeave();
    case WM_LBUTTONDOWN:
        return OnLButtonDown(wParam, low, high);
    case WM_LBUTTONUP:
        return OnLButtonUp(wParam, low, high);
    case WM_LBUTTONDBLCLK:
        return OnLButtonDblClk(wParam, low, high);
    case WM_RBUTTONDOWN:
        return OnRButtonDown(wParam, low, high);
    case WM_RBUTTONUP:
        return OnRButtonUp(wParam, low, high);
    case WM_RBUTTONDBLCLK:
        return OnRButtonDblClk(wParam, low, high);
    case WM_MBUTTONDOWN:
        return OnMButtonDown(wParam, low, high);
    case WM_MBUTTONUP:
        return OnMButtonUp(wParam, low, high);
    case WM_MBUTTONDBLCLK:
        return OnMButtonDblClk(wParam, low, high);
    case WM_ACTIVATE:
        return OnActivate(wParam, lParam);
    case WM_COMMAND:
        return OnCommand(wHigh, wParam, lParam);
    case WM_DRAWITEM:
        return OnDrawItem(wParam, lParam);
    case WM_DROPFILES:
        return OnDropFiles(reinterpret_cast<HDROP>(wParam));
    case WM_ERASEBKGND: {
        CDevContext dc(reinterpret_cast<HDC>(wParam));
        return OnEraseBkgnd(dc);
    }
    case WM_ENTERSIZEMOVE:
        return OnEnterSizeMove();
    case WM_EXITSIZEMOVE:
        return OnExitSizeMove();
    case WM_GETICON:
        return OnGetIcon(wParam);
    case WM_GETMINMAXINFO:
        return OnGetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
    case WM_HOTKEY:
        return OnHotKey(low, high, wParam);
    case WM_HSCROLL:
        return OnHScroll(reinterpret_cast<HWND>(lParam), wLow, wHigh);
    case WM_VSCROLL:
        return OnVScroll(reinterpret_cast<HWND>(lParam), wLow, wHigh);
    case WM_INITMENUPOPUP:
        return OnInitMenuPopup(reinterpret_cast<HMENU>(wParam), low, high);
    case WM_KEYDOWN:
        return OnKeyDown(wParam, &lParam);
    case WM_KEYUP:
        return OnKeyUp(wParam, &lParam);
    case WM_MEASUREITEM:
        return OnMeasureItem(wParam, lParam);
    case WM_MENUSELECT:
        return OnMenuSelect(wLow, wHigh, reinterpret_cast<HMENU>(lParam));
    case WM_MOUSEWHEEL:
        return OnMouseWheel(wLow, wHigh, &lParam);
    case WM_NOTIFY:
        return OnNotify(wParam, lParam);
    case WM_SETTINGCHANGE:
        return OnSettingChange(wParam, lParam);
    case WM_SETCURSOR:
        return OnSetCursor(reinterpret_cast<HWND>(wParam), low, high);
    case WM_SIZE:
        return OnSize(wParam, low, high);
    case WM_SIZING:
        return OnSizing(wParam, reinterpret_cast<RECT*>(lParam));
    case WM_SYSKEYDOWN:
        return OnSysKeyDown(wParam, &lParam);
    case WM_SYSKEYUP:
        return OnSysKeyUp(wParam, &lParam);
    case WM_TIMER:
        return OnTimer(wParam, lParam);
    case WM_CLOSE:
        return OnClose();
    case WM_DESTROY:
        return OnDestroy();
    case WM_NCMOUSEMOVE:
        return OnNcMouseMove(wParam, low, high);
    case WM_NCDESTROY:
        return OnNcDestroy();
    default:
        return OnOtherMessage(message, wParam, lParam);
    }
}

LRESULT CWndHandler::OnCreate(CREATESTRUCTW*) { return DoDefault(); }
LRESULT CWndHandler::OnPaint(CPaintDC&) { return DoDefault(); }
LRESULT CWndHandler::OnMove(int, int) { return DoDefault(); }
LRESULT CWndHandler::OnMouseMove(WPARAM, UINT, UINT) { return DoDefault(); }
LRESULT CWndHandler::OnMouseLeave() { return DoDefault(); }
LRESULT CWndHandler::OnLButtonDown(WPARAM, UINT, UINT) { return DoDefault(); }
LRESULT CWndHandler::OnLButtonUp(WPARAM, UINT, UINT) { return DoDefault(); }
LRESULT CWndHandler::OnLButtonDblClk(WPARAM, UINT, UINT) { return DoDefault(); }
LRESULT CWndHandler::OnRButtonDown(WPARAM, UINT, UINT) { return DoDefault(); }
LRESULT CWndHandler::OnRButtonUp(WPARAM, UINT, UINT) { return DoDefault(); }
LRESULT CWndHandler::OnRButtonDblClk(WPARAM, UINT, UINT) { return DoDefault(); }
LRESULT CWndHandler::OnMButtonDown(WPARAM, UINT, UINT) { return DoDefault(); }
LRESULT CWndHandler::OnMButtonUp(WPARAM, UINT, UINT) { return DoDefault(); }
LRESULT CWndHandler::OnMButtonDblClk(WPARAM, UINT, UINT) { return DoDefault(); }
LRESULT CWndHandler::OnActivate(WPARAM, LPARAM) { return DoDefault(); }
LRESULT CWndHandler::OnCommand(UINT, WPARAM, LPARAM) { return DoDefault(); }
LRESULT CWndHandler::OnDrawItem(WPARAM, LPARAM) { return DoDefault(); }

LRESULT CWndHandler::OnDropFiles(HDROP drop)
{
    DragFinish(drop);
    return DoDefault();
}

LRESULT CWndHandler::OnEraseBkgnd(CDevContext&) { return DoDefault(); }
LRESULT CWndHandler::OnEnterSizeMove() { return DoDefault(); }
LRESULT CWndHandler::OnExitSizeMove() { return DoDefault(); }
LRESULT CWndHandler::OnGetIcon(WPARAM) { return DoDefault(); }
LRESULT CWndHandler::OnGetMinMaxInfo(MINMAXINFO*) { return DoDefault(); }
LRESULT CWndHandler::OnHotKey(UINT, UINT, WPARAM) { return DoDefault(); }
LRESULT CWndHandler::OnHScroll(HWND, UINT, UINT) { return DoDefault(); }
LRESULT CWndHandler::OnVScroll(HWND, UINT, UINT) { return DoDefault(); }
LRESULT CWndHandler::OnInitMenuPopup(HMENU, UINT, UINT) { return DoDefault(); }
LRESULT CWndHandler::OnKeyDown(WPARAM, LPARAM*) { return DoDefault(); }
LRESULT CWndHandler::OnKeyUp(WPARAM, LPARAM*) { return DoDefault(); }
LRESULT CWndHandler::OnMeasureItem(WPARAM, LPARAM) { return DoDefault(); }
LRESULT CWndHandler::OnMenuSelect(UINT, UINT, HMENU) { return DoDefault(); }
LRESULT CWndHandler::OnMouseWheel(UINT, UINT, LPARAM*) { return DoDefault(); }
LRESULT CWndHandler::OnNotify(WPARAM, LPARAM) { return DoDefault(); }
LRESULT CWndHandler::OnSettingChange(WPARAM, LPARAM) { return DoDefault(); }
LRESULT CWndHandler::OnSetCursor(HWND, UINT, UINT) { return DoDefault(); }
LRESULT CWndHandler::OnSize(WPARAM, UINT, UINT) { return DoDefault(); }
LRESULT CWndHandler::OnSizing(WPARAM, RECT*) { return DoDefault(); }
LRESULT CWndHandler::OnSysKeyDown(WPARAM, LPARAM*) { return DoDefault(); }
LRESULT CWndHandler::OnSysKeyUp(WPARAM, LPARAM*) { return DoDefault(); }
LRESULT CWndHandler::OnTimer(WPARAM, LPARAM) { return DoDefault(); }
LRESULT CWndHandler::OnClose() { return DoDefault(); }
LRESULT CWndHandler::OnDestroy() { return DoDefault(); }
LRESULT CWndHandler::OnNcMouseMove(WPARAM, UINT, UINT) { return DoDefault(); }
LRESULT CWndHandler::OnOtherMessage(UINT, WPARAM, LPARAM) { return DoDefault(); }

LRESULT CWndHandler::OnNcDestroy()
{
    auto& registry = HandlerRegistry();
    registry.erase(m_hwnd);
    if (registry.empty()) PostQuitMessage(0);
    const LRESULT result = DoDefault();
    delete this;
    return result;
}

CWndHandler* CWndCreator::Create()
{
    CWndHandler* handler = CreateHandler();
    CWndHandler::CreateWnd(handler, windowClass, windowName, style, exStyle, x, y, width, height, parent.Handle(),
                           menu, instance);
    return handler;
}
