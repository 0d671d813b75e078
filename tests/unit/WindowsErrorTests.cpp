#include <gtest/gtest.h>

#include "WindowsError.h"
#include "WndProxy.h"

namespace {

TEST(CWindowsError, ProxyFailureCarriesCodeAndSystemText)
{
    try {
        RECT rect;
        CWndProxy(reinterpret_cast<HWND>(static_cast<UINT_PTR>(0xDEAD0))).GetClientRect(rect);
        FAIL() << "no exception";
    } catch (const CWindowsError& error) {
        EXPECT_EQ(error.ErrorCode(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
        const std::wstring text = FormatErrorText(ERROR_INVALID_WINDOW_HANDLE, nullptr);
        EXPECT_FALSE(text.empty());
        EXPECT_EQ(error.Message(), L"CWndProxy::GetClientRect " + text);
        EXPECT_EQ(error.MessageModule(), nullptr);
    }
}

TEST(CWindowsError, CodeWithoutTextGivesJustTheName)
{
    const CWindowsError error(0x2000FF17, L"CReg::Open: ");
    EXPECT_EQ(FormatErrorText(0x2000FF17, nullptr), L"");
    EXPECT_EQ(error.Message(), L"CReg::Open: ");
}

TEST(CWindowsError, SystemTextIsKeptWhole)
{
    // The system's own line ending stays part of the text.
    const std::wstring text = FormatErrorText(ERROR_FILE_NOT_FOUND, nullptr);
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.back(), L'\n');
    // A module without a message table falls back to the system table.
    EXPECT_EQ(FormatErrorText(ERROR_FILE_NOT_FOUND, GetModuleHandleW(nullptr)), text);
}

TEST(CWindowsError, CopyKeepsEveryField)
{
    const CWindowsError original(ERROR_MORE_DATA, L"CReg::QueryValue: ");
    const CWindowsError copy = original;
    EXPECT_EQ(copy.ErrorCode(), original.ErrorCode());
    EXPECT_EQ(copy.Operation(), original.Operation());
    EXPECT_EQ(copy.MessageModule(), original.MessageModule());
    EXPECT_EQ(copy.Message(), original.Message());
}

TEST(CWindowsError, RegisteringAClassTwiceThrows)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ToolkitTwiceRegistered";
    EXPECT_NE(RegisterWndClass(windowClass), 0);
    try {
        RegisterWndClass(windowClass);
        FAIL() << "no exception";
    } catch (const CWindowsError& error) {
        EXPECT_EQ(error.ErrorCode(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
        EXPECT_EQ(error.Operation(), L"Windows Error : ");
    }
}

} // namespace
