// Where things go on a desktop of one or more monitors, and how lengths follow
// a monitor's scale: arithmetic only, on monitor rectangles and DPI values.
// All rectangles are in virtual-screen coordinates, where the primary monitor
// starts at (0, 0) and the others may lie at negative coordinates.
#pragma once

#include <windows.h>

#include <cstddef>

// One monitor as GetMonitorInfoW describes it.
struct MonitorArea {
    RECT monitor;  // rcMonitor
    RECT work;     // rcWork
    bool primary;  // MONITORINFOF_PRIMARY
};

// 100 %.
constexpr UINT DefaultDpi = 96;

// A length measured at 100 %, at `dpi`; halves round up. At 96 the length is
// unchanged.
inline int ScaleToDpi(int length, UINT dpi)
{
    const long long scaled = static_cast<long long>(length) * dpi;
    const long long half = DefaultDpi / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / DefaultDpi : -((half - scaled) / DefaultDpi));
}

// Moves the primary monitor to the front and keeps the others in their order.
inline void PutPrimaryFirst(MonitorArea* monitors, std::size_t count)
{
    for (std::size_t i = 1; i < count; ++i) {
        if (!monitors[i].primary) continue;
        const MonitorArea primary = monitors[i];
        for (std::size_t k = i; k > 0; --k) monitors[k] = monitors[k - 1];
        monitors[0] = primary;
        return;
    }
}

// The client area of a full-screen window on a monitor: from the monitor's
// top-left corner, as large as the monitor's work area less what the system's
// full-screen size (SM_CXFULLSCREEN, SM_CYFULLSCREEN, which describe the
// primary monitor) leaves out of the primary's work area. On the primary
// monitor this is (0, 0, fullWidth, fullHeight).
inline RECT FullScreenArea(const MonitorArea& monitor, const RECT& primaryWork, int fullWidth, int fullHeight)
{
    const LONG lessX = (primaryWork.right - primaryWork.left) - fullWidth;
    const LONG lessY = (primaryWork.bottom - primaryWork.top) - fullHeight;
    const LONG width = monitor.work.right - monitor.work.left - lessX;
    const LONG height = monitor.work.bottom - monitor.work.top - lessY;
    return {monitor.monitor.left, monitor.monitor.top, monitor.monitor.left + width, monitor.monitor.top + height};
}

// The move/size read-out's box around a text of textWidth x textHeight pixels:
// the text plus a margin of (10, 5) at 100 %, scaled to `dpi`, centred on
// `area` (the divisions truncate toward zero).
inline RECT ReadoutRect(int textWidth, int textHeight, const RECT& area, UINT dpi)
{
    const int width = textWidth + ScaleToDpi(10, dpi);
    const int height = textHeight + ScaleToDpi(5, dpi);
    RECT rect;
    rect.left = area.left + (area.right - area.left - width) / 2;
    rect.top = area.top + (area.bottom - area.top - height) / 2;
    rect.right = rect.left + width;
    rect.bottom = rect.top + height;
    return rect;
}

// The read-out's font height at a monitor's DPI, from the height of the
// system font, which is made for the system DPI.
inline LONG ReadoutFontHeight(LONG systemHeight, UINT monitorDpi, UINT systemDpi)
{
    if (systemDpi == 0 || monitorDpi == systemDpi) return systemHeight;
    return static_cast<LONG>(static_cast<long long>(systemHeight) * monitorDpi / systemDpi);
}
