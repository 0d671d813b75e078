#include "AboutDlg.h"

#include <shellapi.h>

#include <vector>

#include "AboutResource.h"

namespace {

// Copies at most capacity - 1 characters and always terminates.
void CopyText(const std::wstring& text, wchar_t* buffer, size_t capacity)
{
    const size_t length = text.size() < capacity ? text.size() : capacity - 1;
    text.copy(buffer, length);
    buffer[length] = L'\0';
}

// A string of the version block, or nothing when the lookup fails.
bool QueryString(const std::vector<BYTE>& block, const wchar_t* key, std::wstring& value)
{
    void* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), key, &text, &length) || text == nullptr) return false;
    // The length counts the terminating NUL when there is one; never read past it.
    const wchar_t* characters = static_cast<const wchar_t*>(text);
    size_t count = 0;
    while (count < length && characters[count] != L'\0') ++count;
    value.assign(characters, count);
    return true;
}

} // namespace

VersionTexts ReadVersionTexts(const wchar_t* path)
{
    VersionTexts texts{L"Unknown", L""};
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &handle);
    if (size == 0) return texts;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(path, 0, size, block.data())) return texts;
    QueryString(block, L"\\StringFileInfo\\0c0904b0\\FileVersion", texts.version);
    QueryString(block, L"\\StringFileInfo\\0c0904b0\\ProductName", texts.product);
    return texts;
}

CAboutDlg::CAboutDlg(HICON icon) : m_icon(icon), m_versionText{}, m_productText{} {}

void CAboutDlg::Show(HWND owner, HINSTANCE instance)
{
    wchar_t path[TextCapacity] = {};
    GetModuleFileNameW(instance, path, TextCapacity);
    const VersionTexts texts = ReadVersionTexts(path);
    CopyText(texts.version, m_versionText, TextCapacity);
    CopyText(texts.product, m_productText, TextCapacity);
    RunModal(owner, IDD_ABOUT, instance);
}

INT_PTR CAboutDlg::OnInitDialog(WPARAM focusControl)
{
    const CWndProxy icon = GetDlgItem(IDC_ABOUT_ICON);
    const CWndProxy product = GetDlgItem(IDC_ABOUT_PRODUCT);
    const CWndProxy version = GetDlgItem(IDC_ABOUT_VERSION);
    if (m_icon != nullptr) {
        SendMessageW(icon.Handle(), STM_SETICON, reinterpret_cast<WPARAM>(m_icon), 0);
    }
    product.SetWindowText(m_productText);
    version.SetWindowText(m_versionText);
    return CDlgHandler::OnInitDialog(focusControl);
}

INT_PTR CAboutDlg::OnCommand(UINT notifyCode, WPARAM wParam, LPARAM control)
{
    const int id = LOWORD(wParam);
    if (notifyCode == BN_CLICKED && (id == IDC_ABOUT_WEB || id == IDC_ABOUT_MAIL)) {
        // The caption of this dialog's own button, also when the command
        // arrives without a control window: an empty file name would make
        // the shell open the current directory.
        wchar_t caption[TextCapacity] = {};
        if (GetDlgItemTextW(m_hwnd, id, caption, TextCapacity) > 0) {
            ShellExecuteW(m_hwnd, L"open", caption, nullptr, nullptr, SW_SHOW);
        }
    }
    return CDlgHandler::OnCommand(notifyCode, wParam, control);
}
