// CWindowsError: the one exception type of Hovelle and Lorvek. Carries the
// Win32 error code (or registry status) and the name of the failing operation.
#pragma once

#include <windows.h>

#include <string>

class CWindowsError {
public:
    CWindowsError(DWORD errorCode, std::wstring operation)
        : m_errorCode(errorCode), m_operation(std::move(operation)), m_messageModule(nullptr) {}

    DWORD ErrorCode() const { return m_errorCode; }
    const std::wstring& Operation() const { return m_operation; }
    HMODULE MessageModule() const { return m_messageModule; }

    // The operation name followed directly by the system's text for the code.
    std::wstring Message() const;

private:
    DWORD m_errorCode;
    std::wstring m_operation;
    HMODULE m_messageModule;
};

// The system text for a code, from the module's message table when a module is
// given (falling back to the system table), or the empty string.
std::wstring FormatErrorText(DWORD code, HMODULE module);

// RegisterClassExW that throws "Windows Error : " when no atom comes back.
ATOM RegisterWndClass(const WNDCLASSEXW& windowClass);

// Shows an error at a callback boundary: a box owned by `owner`, captioned with
// the title of `titleWindow`, with MB_ICONERROR.
void ReportError(HWND owner, HWND titleWindow, const std::wstring& text);
