#include "FeatureProtocol.h"

LRESULT ToggleFeature(HWND window, UINT message)
{
    const LRESULT state = SendMessageW(window, message, FeatureQuery, 0);
    return SendMessageW(window, message, state == 1 ? FeatureOff : FeatureOn, 0);
}

bool HandleFeatureMessage(HWND window, UINT message, WPARAM command, LRESULT& result,
                          bool (*isOn)(HWND), void (*switchTo)(HWND, bool))
{
    if (!HasCaption(window)) return false;
    switch (command) {
    case FeatureOn:
    case FeatureOff:
        switchTo(window, command == FeatureOn);
        result = 1;
        break;
    case FeatureToggle:
        result = ToggleFeature(window, message);
        break;
    case FeatureQuery:
        result = isOn(window) ? 1 : 0;
        break;
    default:
        result = 0;
        break;
    }
    return true;
}
