// Creating windows and reading their system menus and received messages.
//
//   create STYLE EXSTYLE PARENT CLASS OPTIONS TITLE...  -> window handle
//          OPTIONS: "-" or a comma list of: nosep (strip the system menu's
//          separators before the window's WM_CREATE)
//   menu HWND             -> the system menu: ID:FLAGS:TEXT|... (FLAGS: C checked, S separator)
//   initmenu HWND WHICH   -> sends WM_INITMENUPOPUP with the system menu (sys),
//                            another popup (popup) or no menu (null)
//   resetmenu HWND        -> GetSystemMenu(HWND, TRUE)
//   messages HWND         -> the messages its own procedure received, in hex
//   clear HWND            -> forgets them
//   send HWND MSG WPARAM LPARAM -> SendMessageW from the window's thread
//   manage HWND           -> WindowManagerManageWindow on the window's thread
//   binding TABLE B M H   -> GetMouseAction (TABLE 0) or GetMouseActionDblClk (1)
//   destroy HWND          -> DestroyWindow
#include <cstdlib>
#include <map>
#include <set>

#include "Target.h"

namespace target {

namespace {

std::map<HWND, std::vector<UINT>> received;
std::set<std::wstring> registeredClasses;
bool stripSeparators = false;

void StripSystemMenuSeparators(HWND window)
{
    const HMENU menu = GetSystemMenu(window, FALSE);
    for (int position = GetMenuItemCount(menu) - 1; position >= 0; --position) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        if (GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info) && (info.fType & MFT_SEPARATOR)) {
            DeleteMenu(menu, static_cast<UINT>(position), MF_BYPOSITION);
        }
    }
}

LRESULT CALLBACK RecordingWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE && stripSeparators) StripSystemMenuSeparators(window);
    received[window].push_back(message);
    return DefWindowProcW(window, message, wParam, lParam);
}

void EnsureClass(const std::wstring& name)
{
    if (registeredClasses.count(name)) return;
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = RecordingWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = name.c_str();
    RegisterClassExW(&windowClass);
    registeredClasses.insert(name);
}

std::string Create(std::istringstream& in)
{
    std::string style, exStyle, parent, className, options, title;
    in >> style >> exStyle >> parent >> className >> options;
    std::getline(in >> std::ws, title);
    const std::wstring wideClass = Widen(className);
    EnsureClass(wideClass);
    stripSeparators = options.find("nosep") != std::string::npos;
    const HWND window = CreateWindowExW(static_cast<DWORD>(ParseHex(exStyle)), wideClass.c_str(), Widen(title).c_str(),
                                       static_cast<DWORD>(ParseHex(style)), 100, 100, 320, 240,
                                       reinterpret_cast<HWND>(static_cast<UINT_PTR>(ParseHex(parent))), nullptr,
                                       GetModuleHandleW(nullptr), nullptr);
    stripSeparators = false;
    if (window == nullptr) return "error " + std::to_string(GetLastError());
    ShowWindow(window, SW_SHOWNOACTIVATE);
    return Hex(reinterpret_cast<UINT_PTR>(window));
}

std::string Menu(std::istringstream& in)
{
    const HMENU menu = GetSystemMenu(NextWindow(in), FALSE);
    if (menu == nullptr) return "nomenu";
    std::string description;
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        wchar_t text[256] = {};
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 255;
        GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info);
        if (position > 0) description += "|";
        description += Hex(info.wID) + ":";
        if (info.fState & MFS_CHECKED) description += "C";
        if (info.fType & MFT_SEPARATOR) description += "S";
        description += ":" + Narrow(text);
    }
    return description;
}

std::string InitMenu(std::istringstream& in)
{
    const HWND window = NextWindow(in);
    std::string which;
    in >> which;
    HMENU menu = nullptr;
    HMENU popup = nullptr;
    if (which == "sys") menu = GetSystemMenu(window, FALSE);
    if (which == "popup") {
        menu = popup = CreatePopupMenu();
        AppendMenuW(popup, MF_STRING, 0xE010, L"Other");
    }
    SendMessageW(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, which == "sys"));
    if (popup == nullptr) return "ok";
    const UINT state = GetMenuState(popup, 0xE010, MF_BYCOMMAND);
    DestroyMenu(popup);
    return (state & MF_CHECKED) ? "popup-checked" : "ok";
}

std::string ResetMenu(std::istringstream& in)
{
    GetSystemMenu(NextWindow(in), TRUE);
    return "ok";
}

std::string Messages(std::istringstream& in)
{
    std::string list;
    for (UINT message : received[NextWindow(in)]) list += Hex(message) + " ";
    return list.empty() ? "none" : list;
}

std::string Clear(std::istringstream& in)
{
    received[NextWindow(in)].clear();
    return "ok";
}

std::string Send(std::istringstream& in)
{
    const HWND window = NextWindow(in);
    const UINT message = static_cast<UINT>(NextHex(in));
    const WPARAM wParam = static_cast<WPARAM>(NextHex(in));
    const LPARAM lParam = static_cast<LPARAM>(NextHex(in));
    return std::to_string(static_cast<long long>(SendMessageW(window, message, wParam, lParam)));
}

std::string Manage(std::istringstream& in)
{
    const auto manage = HookExport<void (*)(HWND)>("WindowManagerManageWindow");
    if (manage == nullptr) return "notloaded";
    manage(NextWindow(in));
    return "ok";
}

std::string Binding(std::istringstream& in)
{
    std::string table;
    int button = 0, modifier = 0, hitTest = 0;
    in >> table >> button >> modifier >> hitTest;
    const auto get = HookExport<int (*)(int, int, int)>(table == "0" ? "GetMouseAction" : "GetMouseActionDblClk");
    if (get == nullptr) return "notloaded";
    return std::to_string(get(button, modifier, hitTest));
}

std::string Destroy(std::istringstream& in)
{
    return DestroyWindow(NextWindow(in)) ? "ok" : "error " + std::to_string(GetLastError());
}

TargetCommand commands[] = {
    {"create", Create},     {"menu", Menu},   {"initmenu", InitMenu}, {"resetmenu", ResetMenu},
    {"messages", Messages}, {"clear", Clear}, {"send", Send},         {"manage", Manage},
    {"binding", Binding},   {"destroy", Destroy},
};

} // namespace

} // namespace target
