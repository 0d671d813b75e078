// The About dialog: the program icon, the product name and file version read
// from the running program file, and two buttons that hand the maker's web
// address and mail link to the shell.
#pragma once

#include <windows.h>

#include <string>

#include "DlgHandler.h"

// The texts the dialog shows, read from a program file's version resource
// (string table "0c0904b0"). The version is "Unknown" when the file has no
// version resource or no FileVersion string; the product is empty then.
struct VersionTexts {
    std::wstring version;
    std::wstring product;
};
VersionTexts ReadVersionTexts(const wchar_t* path);

class CAboutDlg : public CDlgHandler {
public:
    static constexpr size_t TextCapacity = 1024;

    // `icon` is the program icon; it stays owned by the caller.
    explicit CAboutDlg(HICON icon);

    // Reads the version texts of the program file of `instance` and shows
    // dialog 104 of `instance` modally, owned by `owner`, until it closes.
    void Show(HWND owner, HINSTANCE instance);

    INT_PTR OnInitDialog(WPARAM focusControl) override;
    INT_PTR OnCommand(UINT notifyCode, WPARAM wParam, LPARAM control) override;

    const wchar_t* VersionText() const { return m_versionText; }
    const wchar_t* ProductText() const { return m_productText; }

private:
    HICON m_icon;
    wchar_t m_versionText[TextCapacity];
    wchar_t m_productText[TextCapacity];
};
