// Commands for the window feature tests: placement, size, visibility,
// layered attributes, icons and menus of the target's own windows.
//
//   placement HWND               -> SHOWCMD LEFT TOP RIGHT BOTTOM (restored rectangle)
//   replace HWND                 -> writes the placement back as read
//   setpos HWND X Y W H          -> SetWindowPos without z-order or activation change
//   showwindow HWND CMD          -> ShowWindow with the command (decimal)
//   layered HWND KEY ALPHA FLAGS -> adds WS_EX_LAYERED, SetLayeredWindowAttributes (hex values)
//   seticon HWND WHICH SIZE      -> WM_SETICON (ICON_SMALL 0, ICON_BIG 1) with a new SIZE x SIZE icon
//   endmenu                      -> EndMenu: closes a menu the main thread is tracking
#include <memory>

#include "Target.h"

namespace target {

namespace {

std::string Placement(std::istringstream& in)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(NextWindow(in), &placement)) return "error " + std::to_string(GetLastError());
    const RECT& r = placement.rcNormalPosition;
    return std::to_string(placement.showCmd) + " " + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
           std::to_string(r.right) + " " + std::to_string(r.bottom);
}

std::string Replace(std::istringstream& in)
{
    const HWND window = NextWindow(in);
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    GetWindowPlacement(window, &placement);
    return SetWindowPlacement(window, &placement) ? "ok" : "error";
}

std::string SetPos(std::istringstream& in)
{
    const HWND window = NextWindow(in);
    int x = 0, y = 0, width = 0, height = 0;
    in >> x >> y >> width >> height;
    return SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE) ? "ok" : "error";
}

std::string Show(std::istringstream& in)
{
    const HWND window = NextWindow(in);
    int command = 0;
    in >> command;
    ShowWindow(window, command);
    return "ok";
}

std::string Layered(std::istringstream& in)
{
    const HWND window = NextWindow(in);
    const COLORREF key = static_cast<COLORREF>(NextHex(in));
    const BYTE alpha = static_cast<BYTE>(NextHex(in));
    const DWORD flags = static_cast<DWORD>(NextHex(in));
    SetWindowLongW(window, GWL_EXSTYLE, GetWindowLongW(window, GWL_EXSTYLE) | WS_EX_LAYERED);
    return SetLayeredWindowAttributes(window, key, alpha, flags) ? "ok" : "error " + std::to_string(GetLastError());
}

// Icons handed to windows live as long as the program.
std::vector<HICON> icons;

std::string SetIcon(std::istringstream& in)
{
    const HWND window = NextWindow(in);
    int which = 0, size = 0;
    in >> which >> size;
    const size_t bytes = static_cast<size_t>((size + 15) / 16 * 2 * size);
    std::unique_ptr<BYTE[]> andMask(new BYTE[bytes]());
    std::unique_ptr<BYTE[]> xorMask(new BYTE[bytes]());
    const HICON icon = CreateIcon(GetModuleHandleW(nullptr), size, size, 1, 1, andMask.get(), xorMask.get());
    if (icon == nullptr) return "error " + std::to_string(GetLastError());
    icons.push_back(icon);
    SendMessageW(window, WM_SETICON, static_cast<WPARAM>(which), reinterpret_cast<LPARAM>(icon));
    return Hex(reinterpret_cast<UINT_PTR>(icon));
}

std::string CloseMenu(std::istringstream&)
{
    return EndMenu() ? "ok" : "error";
}

TargetCommand commands[] = {
    {"placement", Placement}, {"replace", Replace}, {"setpos", SetPos},     {"showwindow", Show},
    {"layered", Layered},     {"seticon", SetIcon}, {"endmenu", CloseMenu},
};

} // namespace

} // namespace target
