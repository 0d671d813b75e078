#include "SystemMenu.h"

#include "FeatureMessages.h"
#include "FeatureProtocol.h"
#include "MessageHandlers.h"

namespace {

// The running id after the last insertion in this process: the end of the block.
int lastFeatureCommand = FirstFeatureCommand;

// The three operations of a feature with the given item text and message.
template <const wchar_t* Text, UINT (*Message)()>
struct FeatureItem {
    static void InsertItem(HWND, HMENU menu, int& position, int& id)
    {
        InsertMenuW(menu, static_cast<UINT>(position), MF_BYPOSITION | MF_STRING, static_cast<UINT_PTR>(id), Text);
        position += 1;
        id += FeatureCommandStep;
    }

    static void UpdateItem(HWND window, HMENU menu, int& id)
    {
        const LRESULT on = SendMessageW(window, Message(), FeatureQuery, 0);
        CheckMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (on != 0 ? MF_CHECKED : MF_UNCHECKED));
        id += FeatureCommandStep;
    }

    static bool RunCommand(HWND window, int command, int& id)
    {
        const bool matched = command == id;
        if (matched) SendMessageW(window, Message(), FeatureToggle, 0);
        id += FeatureCommandStep;
        return matched;
    }

    static constexpr SystemMenuFeature Entry = {InsertItem, UpdateItem, RunCommand};
};

constexpr wchar_t OnTopText[] = L"Always on top";
constexpr wchar_t RollupText[] = L"Rollup";
constexpr wchar_t TrayText[] = L"Minimize To Tray";
constexpr wchar_t TransparentText[] = L"Transparent";

HMENU SystemMenuOf(HWND window)
{
    return GetSystemMenu(window, FALSE);
}

} // namespace

const SystemMenuFeature SystemMenuFeatures[] = {
    FeatureItem<OnTopText, MsgOnTop>::Entry,
    FeatureItem<RollupText, MsgRollup>::Entry,
    FeatureItem<TrayText, MsgTray>::Entry,
    FeatureItem<TransparentText, MsgTransparent>::Entry,
    {nullptr, nullptr, nullptr},
};

void AddSystemMenuItems(HWND window)
{
    const HMENU menu = SystemMenuOf(window);
    if (menu == nullptr) return;
    const int count = GetMenuItemCount(menu);
    int separator = count;
    for (int position = 0; position < count; ++position) {
        MENUITEMINFOW info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_TYPE;
        if (GetMenuItemInfoW(menu, static_cast<UINT>(position), TRUE, &info) && info.fType == MFT_SEPARATOR) {
            separator = position;
            break;
        }
    }
    InsertMenuW(menu, static_cast<UINT>(separator + 1), MF_BYPOSITION | MF_SEPARATOR, 0, nullptr);
    int position = separator + 1;
    int id = FirstFeatureCommand;
    for (const SystemMenuFeature* feature = SystemMenuFeatures; feature->InsertItem != nullptr; ++feature) {
        feature->InsertItem(window, menu, position, id);
    }
    lastFeatureCommand = id;
}

void RemoveSystemMenuItems(HWND window)
{
    const HMENU menu = SystemMenuOf(window);
    if (menu == nullptr) return;
    const int count = GetMenuItemCount(menu);
    for (int position = 0; position < count; ++position) {
        if (GetMenuItemID(menu, position) != static_cast<UINT>(FirstFeatureCommand)) continue;
        // The four feature items and the separator after them.
        for (int id = FirstFeatureCommand; id <= lastFeatureCommand; id += FeatureCommandStep) {
            DeleteMenu(menu, static_cast<UINT>(position), MF_BYPOSITION);
        }
        return;
    }
}

bool SystemMenuWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM, LRESULT& result)
{
    if (message == WM_SYSCOMMAND) {
        const int command = static_cast<int>(wParam & 0xFFF0);
        int id = FirstFeatureCommand;
        for (const SystemMenuFeature* feature = SystemMenuFeatures; feature->RunCommand != nullptr; ++feature) {
            if (feature->RunCommand(window, command, id)) {
                result = 0;
                return true;
            }
        }
    } else if (message == WM_INITMENUPOPUP) {
        const HMENU menu = reinterpret_cast<HMENU>(wParam);
        if (menu != nullptr && menu == SystemMenuOf(window)) {
            int id = FirstFeatureCommand;
            for (const SystemMenuFeature* feature = SystemMenuFeatures; feature->UpdateItem != nullptr; ++feature) {
                feature->UpdateItem(window, menu, id);
            }
        }
    }
    return false;
}
