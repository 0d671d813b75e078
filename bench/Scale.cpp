// The tray program at scale: Hovelle.exe from its start to its icon, then
// "Manage open windows" and Exit with 1000 windows spread over 10 programs
// (copies of the bench, each holding 100 hidden captioned windows). The icon
// goes to a notification area of the bench's own, which notes when it comes.
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "BenchReport.h"

namespace {

constexpr int Holders = 10;
constexpr int WindowsPerProgram = 100;
constexpr int Starts = 5;  // the first one cold
constexpr UINT ManageOpenCommand = 1005;  // the tray program's menu commands
constexpr UINT ExitCommand = 1003;
const wchar_t* const HeldClass = L"LorvekBenchHeld";
const wchar_t* const HoldersEnd = L"LorvekBenchHoldersEnd";

double Milliseconds()
{
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Pumps this thread's messages until `done` or `milliseconds` have passed;
// false on the time-out.
template <typename Done>
bool PumpUntil(Done done, DWORD milliseconds, HANDLE object = nullptr)
{
    const ULONGLONG end = GetTickCount64() + milliseconds;
    while (!done()) {
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return false;
        MsgWaitForMultipleObjects(object ? 1 : 0, &object, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(end - now, 10)),
                                  QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    return true;
}

double iconArrived = 0;  // when the first NIM_ADD came, 0 before

// Wine's Shell_NotifyIconW hands its record to the first "Shell_TrayWnd" it
// finds as WM_COPYDATA, the NIM_ command in dwData.
LRESULT CALLBACK TrayProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_COPYDATA) return DefWindowProcW(window, message, wParam, lParam);
    if (reinterpret_cast<const COPYDATASTRUCT*>(lParam)->dwData == NIM_ADD && iconArrived == 0) {
        iconArrived = Milliseconds();
    }
    return TRUE;
}

// Topmost and created before the icon is added, so found before Wine's own.
HWND CreateTray()
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = TrayProcedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"Shell_TrayWnd";
    RegisterClassExW(&windowClass);
    const HWND tray = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_TrayWnd", L"", WS_POPUP, 0, 0, 1, 1,
                                      nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ShowWindow(tray, SW_SHOWNOACTIVATE);
    return tray;
}

std::wstring ProgramFolder()
{
    wchar_t path[MAX_PATH] = {};
    const std::wstring self(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
    return self.substr(0, self.find_last_of(L"\\/") + 1);
}

// The programs started here, ended with the bench (a kill-on-close job).
class Programs {
public:
    Programs() : m_job(CreateJobObjectW(nullptr, nullptr))
    {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(m_job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    ~Programs()
    {
        for (HANDLE process : m_processes) CloseHandle(process);
        CloseHandle(m_job);
    }
    Programs(const Programs&) = delete;
    Programs& operator=(const Programs&) = delete;

    // The process, or null. Wine now and then fails a start under load.
    HANDLE Start(const std::wstring& commandLine, DWORD* id = nullptr)
    {
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started = {};
        std::wstring line = commandLine;
        for (int attempt = 0; attempt < 5; ++attempt, Sleep(200)) {
            if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                                &startup, &started)) {
                continue;
            }
            AssignProcessToJobObject(m_job, started.hProcess);
            ResumeThread(started.hThread);
            CloseHandle(started.hThread);
            m_processes.push_back(started.hProcess);
            if (id != nullptr) *id = started.dwProcessId;
            return started.hProcess;
        }
        return nullptr;
    }

private:
    HANDLE m_job;
    std::vector<HANDLE> m_processes;
};

struct HeldCount {
    bool managedOnly;
    int count;
};

BOOL CALLBACK CountIfHeld(HWND window, LPARAM data)
{
    auto& held = *reinterpret_cast<HeldCount*>(data);
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    if (std::wstring(name) == HeldClass && (!held.managedOnly || GetPropW(window, L"MOX_TITLEBUTTONS") != nullptr)) {
        ++held.count;
    }
    return TRUE;
}

// The held windows, or those of them the hook library manages.
int CountHeld(bool managedOnly)
{
    HeldCount held = {managedOnly, 0};
    EnumWindows(CountIfHeld, reinterpret_cast<LPARAM>(&held));
    return held.count;
}

BOOL CALLBACK SendNull(HWND window, LPARAM)
{
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 500, &answer);
    return TRUE;
}

// The floor of a stop: one message sent to every top-level window, as the
// stop sends each of its three.
double BroadcastNull()
{
    const double started = Milliseconds();
    EnumWindows(SendNull, 0);
    return Milliseconds() - started;
}

HWND MainWindowOf(DWORD process)
{
    HWND window = nullptr;
    DWORD owner = 0;
    while ((window = FindWindowExW(nullptr, window, L"HovelleWnd", nullptr)) != nullptr) {
        if (GetWindowThreadProcessId(window, &owner) && owner == process) return window;
    }
    return nullptr;
}

// Hovelle.exe until its icon comes: the time taken, or -1.
double StartToIcon(Programs& programs, HANDLE& process, DWORD& id)
{
    iconArrived = 0;
    const double started = Milliseconds();
    process = programs.Start(L"\"" + ProgramFolder() + L"Hovelle.exe\"", &id);
    if (process == nullptr) return -1;
    PumpUntil([process] { return iconArrived != 0 || WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, 30000,
              process);
    return iconArrived != 0 ? iconArrived - started : -1;
}

// Exit from the icon's menu, until the process has ended: the time taken, or -1.
double Exit(HANDLE process, DWORD id)
{
    const double asked = Milliseconds();
    const HWND main = MainWindowOf(id);
    if (main == nullptr || !PostMessageW(main, WM_COMMAND, ExitCommand, 0)) return -1;
    // The stop's messages reach this thread's windows too.
    if (!PumpUntil([process] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, 60000, process)) return -1;
    return Milliseconds() - asked;
}

} // namespace

int HoldWindows(int count)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = HeldClass;
    RegisterClassExW(&windowClass);
    for (int i = 0; i < count; ++i) {
        CreateWindowExW(0, HeldClass, L"Held", WS_OVERLAPPEDWINDOW, 60 + i, 60 + i, 300, 200, nullptr, nullptr,
                        GetModuleHandleW(nullptr), nullptr);
    }
    const HANDLE end = OpenEventW(SYNCHRONIZE, FALSE, HoldersEnd);
    if (end == nullptr) return 1;
    // Answers every message until the bench says so (or ends).
    PumpUntil([end] { return WaitForSingleObject(end, 0) == WAIT_OBJECT_0; }, INFINITE, end);
    CloseHandle(end);
    return 0;
}

void MeasureScale()
{
    // The windows open at the start are left alone: "Manage open windows" is measured on its own.
    const DWORD off = 0;
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Tenvale\\Hovelle", L"ManageExistingWindows", REG_DWORD, &off,
                    sizeof off);
    const HWND tray = CreateTray();
    Programs programs;
    const HANDLE holdersEnd = CreateEventW(nullptr, TRUE, FALSE, HoldersEnd);
    std::vector<double> starts;
    HANDLE hovelle = nullptr;
    DWORD id = 0;
    for (int run = 0; run < Starts; ++run) {
        const double start = StartToIcon(programs, hovelle, id);
        if (start < 0 || Exit(hovelle, id) < 0) {
            std::printf("g  Hovelle.exe did not start, show its icon and exit\n");
            CloseHandle(holdersEnd);
            DestroyWindow(tray);
            return;
        }
        starts.push_back(start);
    }
    Row("g1 Hovelle.exe start to icon, cold", starts[0], "ms");
    std::vector<double> warm(starts.begin() + 1, starts.end());
    std::sort(warm.begin(), warm.end());
    const double warmStart = warm[warm.size() / 2];
    Row("g2 Hovelle.exe start to icon, warm (median of 4)", warmStart, "ms");
    Goal("g-start-warm", warmStart, false, 300, "ms");

    const std::wstring holder = L"\"" + ProgramFolder() + L"bench.exe\" --hold " + std::to_wstring(WindowsPerProgram);
    for (int i = 0; i < Holders; ++i) programs.Start(holder);
    const int total = Holders * WindowsPerProgram;
    if (!PumpUntil([total] { return CountHeld(false) == total; }, 120000) || StartToIcon(programs, hovelle, id) < 0) {
        std::printf("g  %d of %d windows open; the rows at scale not measured\n", CountHeld(false), total);
    } else {
        const HWND main = MainWindowOf(id);
        const int before = CountHeld(true);
        const double asked = Milliseconds();
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(main, WM_COMMAND, ManageOpenCommand, 0, SMTO_NORMAL, 120000, &answer);
        const double manage = Milliseconds() - asked;
        const int managed = CountHeld(true);
        char name[96];
        std::snprintf(name, sizeof name, "g3 Manage open windows, %d in %d programs (%d -> %d managed)", total,
                      Holders, before, managed);
        Row(name, manage, "ms");
        Goal("g-manage-open", managed == total ? manage : 1e9, false, 2000, "ms");
        Row("g4 floor: WM_NULL sent to every top-level window once", BroadcastNull(), "ms");
        const double exit = Exit(hovelle, id);
        const int left = CountHeld(true);
        std::snprintf(name, sizeof name, "g5 Exit, %d managed windows in %d programs (%d left managed)", managed,
                      Holders, left);
        Row(name, exit, "ms");
        Goal("g-exit", exit >= 0 && left == 0 ? exit : 1e9, false, 1000, "ms");
    }
    SetEvent(holdersEnd);
    CloseHandle(holdersEnd);
    DestroyWindow(tray);
}
