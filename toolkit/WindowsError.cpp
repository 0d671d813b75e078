#include "WindowsError.h"

std::wstring CWindowsError::Message() const
{
    return m_operation + FormatErrorText(m_errorCode, m_messageModule);
}

std::wstring FormatErrorText(DWORD code, HMODULE module)
{
    // No argument list is supplied, so insertion sequences are left as they stand.
    const DWORD common = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS;
    const DWORD language = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);
    wchar_t* buffer = nullptr;
    DWORD length = 0;
    if (module != nullptr) {
        length = FormatMessageW(common | FORMAT_MESSAGE_FROM_HMODULE, module, code, language,
                                reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    }
    if (length == 0) {
        buffer = nullptr;
        length = FormatMessageW(common | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, language,
                                reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    }
    std::wstring text;
    if (buffer != nullptr) {
        text.assign(buffer, length);
        LocalFree(buffer);
    }
    return text;
}

ATOM RegisterWndClass(const WNDCLASSEXW& windowClass)
{
    const ATOM atom = RegisterClassExW(&windowClass);
    if (atom == 0) {
        throw CWindowsError(GetLastError(), L"Windows Error : ");
    }
    return atom;
}

void ReportError(HWND owner, HWND titleWindow, const std::wstring& text)
{
    wchar_t title[1024] = {};
    GetWindowTextW(titleWindow, title, 1024);
    MessageBoxW(owner, text.c_str(), title, MB_ICONERROR);
}
