#include "FeatureHarness.h"

#include <cstdlib>
#include <sstream>
#include <stdexcept>

namespace harness {

Placement GetPlacement(TargetProcess& target, HWND window)
{
    Placement placement;
    std::istringstream in(target.Command("placement " + Hex(window)));
    in >> placement.showCmd >> placement.normal.left >> placement.normal.top >> placement.normal.right >>
        placement.normal.bottom;
    if (!in) throw std::runtime_error("placement not readable");
    return placement;
}

INT_PTR Property(HWND window, const wchar_t* name)
{
    return reinterpret_cast<INT_PTR>(GetPropW(window, name));
}

LayeredAttributes GetLayered(HWND window)
{
    LayeredAttributes attributes;
    attributes.read = GetLayeredWindowAttributes(window, &attributes.key, &attributes.alpha, &attributes.flags) != 0;
    return attributes;
}

bool IsLayered(HWND window)
{
    return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;
}

namespace {

struct MenuSearch {
    DWORD processId;
    std::vector<HWND> menus;
};

BOOL CALLBACK CollectMenu(HWND window, LPARAM data)
{
    MenuSearch& search = *reinterpret_cast<MenuSearch*>(data);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == search.processId && std::wstring(className) == L"#32768" && IsWindowVisible(window)) {
        search.menus.push_back(window);
    }
    return TRUE;
}

const wchar_t TrayClass[] = L"Shell_TrayWnd";

} // namespace

std::vector<HWND> OpenMenus(DWORD processId)
{
    MenuSearch search = {processId, {}};
    EnumWindows(CollectMenu, reinterpret_cast<LPARAM>(&search));
    return search.menus;
}

TestTray::TestTray(bool accept) : m_accept(accept)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = TrayWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = TrayClass;
    RegisterClassExW(&windowClass);
    m_window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, TrayClass, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               GetModuleHandleW(nullptr), this);
    if (m_window == nullptr) throw std::runtime_error("cannot create the test tray window");
    SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TestTray::~TestTray()
{
    DestroyWindow(m_window);
}

std::vector<DWORD> TestTray::Commands() const
{
    std::vector<DWORD> commands;
    for (const TrayEvent& event : m_events) commands.push_back(event.command);
    return commands;
}

LRESULT CALLBACK TestTray::TrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto tray = reinterpret_cast<TestTray*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_COPYDATA && tray != nullptr) {
        const auto data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        TrayEvent event;
        event.command = static_cast<DWORD>(data->dwData);
        event.size = data->cbData;
        if (data->cbData >= sizeof(ShellIconRecord)) {
            const auto record = static_cast<const ShellIconRecord*>(data->lpData);
            event.window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(record->hWnd));
            event.id = record->uID;
            event.flags = record->uFlags;
            event.callbackMessage = record->uCallbackMessage;
            event.tip.assign(record->szTip, wcsnlen(record->szTip, 128));
            event.iconWidth = record->iconWidth;
            event.iconHeight = record->iconHeight;
        }
        tray->m_events.push_back(event);
        return tray->m_accept ? TRUE : FALSE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace harness
