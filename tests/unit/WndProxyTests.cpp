#include <gtest/gtest.h>

#include "DevContext.h"
#include "MenuHandle.h"
#include "WindowsError.h"
#include "WndProxy.h"

namespace {

class Window {
public:
    Window()
        : m_hwnd(CreateWindowExW(0, L"STATIC", L"proxy", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr, nullptr,
                                 nullptr, nullptr))
    {
    }
    ~Window() { DestroyWindow(m_hwnd); }
    HWND Handle() const { return m_hwnd; }

private:
    HWND m_hwnd;
};

template <typename Operation>
std::wstring ThrownName(Operation operation)
{
    try {
        operation();
    } catch (const CWindowsError& error) {
        return error.Operation();
    }
    return L"(nothing thrown)";
}

TEST(CWndProxy, DestroyingTheProxyLeavesTheWindow)
{
    Window window;
    ASSERT_NE(window.Handle(), nullptr);
    {
        CWndProxy proxy(window.Handle());
        RECT rect;
        proxy.GetWindowRect(rect);
        EXPECT_EQ(rect.right - rect.left, 200);
    }
    EXPECT_TRUE(IsWindow(window.Handle()));
}

TEST(CWndProxy, FailuresNameTheirOperation)
{
    const CWndProxy gone(reinterpret_cast<HWND>(static_cast<UINT_PTR>(0xDEAD0)));
    RECT rect = {};
    EXPECT_EQ(ThrownName([&] { gone.GetWindowRect(rect); }), L"CWndProxy::GetWindowRect ");
    EXPECT_EQ(ThrownName([&] { gone.MoveWindow(0, 0, 1, 1, false); }), L"CWndProxy::MoveWindow ");
    EXPECT_EQ(ThrownName([&] { gone.SetWindowText(L"x"); }), L"CWndProxy::SetWindowText ");
    EXPECT_EQ(ThrownName([&] { gone.DestroyWindow(); }), L"CWndProxy::DestroyWindow ");
    Window window;
    EXPECT_EQ(ThrownName([&] { CWndProxy(window.Handle()).GetDlgItem(4711); }), L"CWndProxy::GetDlgItem ");
}

TEST(CDevContext, ColoursAndText)
{
    Window window;
    CWindowDC dc{CWndProxy(window.Handle())};
    EXPECT_NO_THROW(dc.SetBkColor(RGB(0, 0, 0)));
    EXPECT_NO_THROW(dc.SetTextColor(RGB(255, 255, 255)));
    RECT rect = {0, 0, 100, 50};
    EXPECT_GT(dc.DrawText(L"Text", -1, rect, DT_SINGLELINE), 0);
}

TEST(CDevContext, WindowDCOfInvalidWindowThrows)
{
    EXPECT_EQ(ThrownName([] { CWindowDC dc{CWndProxy(reinterpret_cast<HWND>(static_cast<UINT_PTR>(0xDEAD0)))}; }),
              L"CWindowDC::Create ");
}

TEST(CGdiObject, OwnedObjectIsDeletedAndSelectionRestored)
{
    Window window;
    CWindowDC dc{CWndProxy(window.Handle())};
    const HGDIOBJ before = GetCurrentObject(dc.Handle(), OBJ_BRUSH);
    HBRUSH brush = CreateSolidBrush(RGB(1, 2, 3));
    {
        CGdiObject object(brush, true);
        {
            CObjectSelection selection(dc, object);
            EXPECT_EQ(GetCurrentObject(dc.Handle(), OBJ_BRUSH), brush);
        }
        EXPECT_EQ(GetCurrentObject(dc.Handle(), OBJ_BRUSH), before);
        EXPECT_EQ(GetObjectType(brush), static_cast<DWORD>(OBJ_BRUSH));
    }
    EXPECT_EQ(GetObjectType(brush), 0u);
}

TEST(CMenuHandle, OwnedMenuGoesWithItsHolder)
{
    HMENU menu = CreatePopupMenu();
    {
        CMenuHandle owned(menu, true);
        CMenuHandle borrowed = owned.GetSubMenu(0);
        EXPECT_FALSE(borrowed.Owned());
    }
    EXPECT_FALSE(IsMenu(menu));
}

TEST(CMenuHandle, FailedDestroyKeepsTheHandle)
{
    const HMENU bogus = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(0xDEAD0));
    CMenuHandle holder(bogus, false);
    EXPECT_EQ(ThrownName([&] { holder.Destroy(); }), L"Windows Error : ");
    EXPECT_EQ(holder.Handle(), bogus);
}

} // namespace
