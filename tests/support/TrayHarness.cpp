#include "TrayHarness.h"

#include <stdexcept>

#include "Harness.h"

namespace harness {

const wchar_t* const HovelleKey = L"Software\\Tenvale\\Hovelle";

namespace {

std::wstring ExecutableDirectory()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring directory(path);
    return directory.substr(0, directory.find_last_of(L"\\/") + 1);
}

// Wine's record for one icon (dlls/shell32/systray.c): fixed 32-bit fields,
// the same in 32- and 64-bit processes, followed by the icon's bits.
constexpr size_t TipOffset = 16;
constexpr size_t TipUnits = 128;
constexpr size_t IconWidthOffset = 944;
constexpr size_t IconHeightOffset = 948;

UINT ReadUint(const BYTE* data, size_t size, size_t offset)
{
    UINT value = 0;
    if (offset + sizeof value <= size) CopyMemory(&value, data + offset, sizeof value);
    return value;
}

LRESULT CALLBACK FakeTrayWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        auto* tray = reinterpret_cast<FakeTray*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        const auto* copy = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (tray != nullptr && copy != nullptr) {
            const auto* data = static_cast<const BYTE*>(copy->lpData);
            const size_t size = copy->cbData;
            IconNotification note;
            note.command = static_cast<DWORD>(copy->dwData);
            note.window = ReadUint(data, size, 0);
            note.id = ReadUint(data, size, 4);
            note.flags = ReadUint(data, size, 8);
            note.callbackMessage = ReadUint(data, size, 12);
            if (size >= TipOffset + TipUnits * 2) {
                const auto* tip = reinterpret_cast<const wchar_t*>(data + TipOffset);
                note.tip.assign(tip, wcsnlen(tip, TipUnits));
            }
            note.iconWidth = ReadUint(data, size, IconWidthOffset);
            note.iconHeight = ReadUint(data, size, IconHeightOffset);
            note.size = size;
            note.raw.assign(data, data + size);
            tray->notifications.push_back(note);
        }
        return TRUE;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

// After the four icon fields: the 1-bit mask, then the colour bits, both
// top row first.
constexpr size_t IconBitsOffset = 960;

UINT IconNotification::IconColour(int x, int y) const
{
    const size_t offset = IconBitsOffset + 32 * 32 / 8 + (static_cast<size_t>(y) * 32 + x) * 4;
    return ReadUint(raw.data(), raw.size(), offset) & 0xFFFFFF;
}

bool IconNotification::IconTransparent(int x, int y) const
{
    const size_t offset = IconBitsOffset + static_cast<size_t>(y) * 4 + x / 8;
    return offset < raw.size() && (raw[offset] & (0x80 >> (x % 8))) != 0;
}

void DeleteHovelleKey()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, HovelleKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, HovelleKey);
}

void SetHovelleValue(const wchar_t* name, DWORD type, const void* data, DWORD size)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, HovelleKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
        ERROR_SUCCESS) {
        throw std::runtime_error("cannot create the settings key");
    }
    RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
}

void SetHovelleDword(const wchar_t* name, DWORD value)
{
    SetHovelleValue(name, REG_DWORD, &value, sizeof value);
}

void SetHovelleUnits(const wchar_t* name, const std::wstring& units, DWORD type)
{
    SetHovelleValue(name, type, units.data(), static_cast<DWORD>(units.size() * sizeof(wchar_t)));
}

DWORD StoredValue::Dword() const
{
    DWORD value = 0;
    if (data.size() >= sizeof value) CopyMemory(&value, data.data(), sizeof value);
    return value;
}

std::wstring StoredValue::Units() const
{
    return std::wstring(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
}

StoredValue ReadHovelleValue(const wchar_t* name)
{
    StoredValue value;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, HovelleKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return value;
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
        value.data.resize(size);
        if (RegQueryValueExW(key, name, nullptr, &value.type, value.data.data(), &size) == ERROR_SUCCESS) {
            value.present = true;
            value.data.resize(size);
        }
    }
    RegCloseKey(key);
    return value;
}

FakeTray::FakeTray()
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = FakeTrayWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"Shell_TrayWnd";
    RegisterClassExW(&windowClass);
    m_window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_TrayWnd", L"", WS_POPUP, 0, 0, 1, 1, nullptr,
                               nullptr, windowClass.hInstance, nullptr);
    SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    ShowWindow(m_window, SW_SHOWNOACTIVATE);
}

FakeTray::~FakeTray()
{
    SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
    DestroyWindow(m_window);
}

HovelleProcess::HovelleProcess()
{
    m_job = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(m_job, JobObjectExtendedLimitInformation, &limits, sizeof limits);

    const std::wstring program = ExecutableDirectory() + L"Hovelle.exe";
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    BOOL started = FALSE;
    for (int attempt = 0; attempt < 5 && !started; ++attempt) {
        // Starting a process occasionally fails with an internal error under load.
        started = CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &startup, &m_process);
        if (!started) Sleep(200);
    }
    if (!started) throw std::runtime_error("cannot start Hovelle.exe");
    AssignProcessToJobObject(m_job, m_process.hProcess);
}

HovelleProcess::~HovelleProcess()
{
    if (Running() && m_main != nullptr && IsWindow(m_main)) {
        PostMessageW(m_main, WM_COMMAND, 1003, 0);
        WaitForExit(5000);
    }
    if (Running()) TerminateProcess(m_process.hProcess, 1);
    CloseHandle(m_process.hThread);
    CloseHandle(m_process.hProcess);
    CloseHandle(m_job);
}

bool HovelleProcess::Running() const
{
    return WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT;
}

bool HovelleProcess::WaitUntilReady(DWORD milliseconds)
{
    WaitFor([&] {
        m_main = FindProcessWindow(ProcessId(), L"HovelleWnd", false);
        m_overlay = FindProcessWindow(ProcessId(), L"HovelleMoveSizeWnd", false);
        return (m_main != nullptr && m_overlay != nullptr) || !Running();
    }, milliseconds);
    return m_main != nullptr && m_overlay != nullptr;
}

DWORD HovelleProcess::WaitForExit(DWORD milliseconds)
{
    WaitFor([&] { return !Running(); }, milliseconds);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_process.hProcess, &code);
    return code;
}

namespace {

struct WindowSearch {
    DWORD processId;
    const wchar_t* className;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data)
{
    auto& search = *reinterpret_cast<WindowSearch*>(data);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != search.processId) return TRUE;
    if (search.visibleOnly && !IsWindowVisible(window)) return TRUE;
    wchar_t className[256] = {};
    GetClassNameW(window, className, 256);
    if (lstrcmpW(className, search.className) != 0) return TRUE;
    search.found = window;
    return FALSE;
}

} // namespace

HWND FindProcessWindow(DWORD processId, const wchar_t* className, bool visibleOnly)
{
    WindowSearch search = {processId, className, visibleOnly, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace harness
