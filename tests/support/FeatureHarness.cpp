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

} // namespace

std::vector<HWND> OpenMenus(DWORD processId)
{
    MenuSearch search = {processId, {}};
    EnumWindows(CollectMenu, reinterpret_cast<LPARAM>(&search));
    return search.menus;
}

const std::deque<TrayEvent>& TestTray::Events() const
{
    const std::vector<IconNotification>& notifications = m_tray.notifications;
    for (size_t i = m_events.size(); i < notifications.size(); ++i) {
        const IconNotification& note = notifications[i];
        TrayEvent event;
        event.command = note.command;
        event.window = reinterpret_cast<HWND>(static_cast<LONG_PTR>(static_cast<LONG>(note.window)));
        event.id = note.id;
        event.flags = note.flags;
        event.callbackMessage = note.callbackMessage;
        event.tip = note.tip;
        event.iconWidth = note.iconWidth;
        event.iconHeight = note.iconHeight;
        event.size = static_cast<DWORD>(note.size);
        m_events.push_back(event);
    }
    return m_events;
}

void TestTray::Clear()
{
    m_tray.notifications.clear();
    m_events.clear();
}

std::vector<DWORD> TestTray::Commands() const
{
    std::vector<DWORD> commands;
    for (const TrayEvent& event : Events()) commands.push_back(event.command);
    return commands;
}

} // namespace harness
