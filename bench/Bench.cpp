// Measures what the hook library costs: sent-message round trips with and
// without the hook and the handler chain, across processes, and the window
// creation rate. Prints one table; every figure is the median of several runs.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "Lorvek.h"

namespace {

constexpr int Repeats = 9;
constexpr double RunSeconds = 0.25;  // length of one timed run
constexpr UINT QuietMessage = WM_APP + 0x100;  // no chain member acts on it

double Seconds()
{
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Operations per second of `operation`, in batches of `batch` for at least
// RunSeconds a run; the median of Repeats runs.
double Rate(int batch, const std::function<void()>& operation)
{
    std::vector<double> rates;
    for (int run = 0; run < Repeats; ++run) {
        const double start = Seconds();
        double elapsed = 0;
        long long done = 0;
        do {
            for (int i = 0; i < batch; ++i) operation();
            done += batch;
            elapsed = Seconds() - start;
        } while (elapsed < RunSeconds);
        rates.push_back(static_cast<double>(done) / elapsed);
    }
    std::sort(rates.begin(), rates.end());
    return rates[rates.size() / 2];
}

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == QuietMessage) return 1;
    return DefWindowProcW(window, message, wParam, lParam);
}

const wchar_t* const BenchClass = L"LorvekBenchWindow";

HWND CreateCaptioned(const wchar_t* title)
{
    return CreateWindowExW(0, BenchClass, title, WS_OVERLAPPEDWINDOW, 50, 50, 300, 200, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

double SendRate(HWND window, int count)
{
    return Rate(count, [window] { SendMessageW(window, QuietMessage, 0, 0); });
}

double CreationRate(int count)
{
    return Rate(count, [] { DestroyWindow(CreateCaptioned(L"Created")); });
}

// The target program of the tests, driven over its standard input and output.
class Target {
public:
    Target()
    {
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        HANDLE childInput = nullptr, childOutput = nullptr;
        CreatePipe(&childInput, &m_input, &inherit, 0);
        CreatePipe(&m_output, &childOutput, &inherit, 0);
        SetHandleInformation(m_input, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(m_output, HANDLE_FLAG_INHERIT, 0);
        wchar_t path[MAX_PATH];
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        std::wstring program(path);
        program = program.substr(0, program.find_last_of(L"\\/") + 1) + L"target.exe";
        std::wstring commandLine = L"\"" + program + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = childInput;
        startup.hStdOutput = childOutput;
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                            &m_process)) {
            throw std::runtime_error("cannot start target.exe");
        }
        CloseHandle(childInput);
        CloseHandle(childOutput);
    }
    ~Target()
    {
        CloseHandle(m_input);
        if (WaitForSingleObject(m_process.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(m_process.hProcess, 1);
        CloseHandle(m_output);
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
    }
    std::string Command(const std::string& line)
    {
        const std::string request = line + "\n";
        DWORD done = 0;
        WriteFile(m_input, request.data(), static_cast<DWORD>(request.size()), &done, nullptr);
        std::string reply;
        char c;
        while (ReadFile(m_output, &c, 1, &done, nullptr) && done == 1 && c != '\n') reply += c;
        return reply;
    }
    HWND Create(const std::string& className, const std::string& title)
    {
        char style[32];
        std::snprintf(style, sizeof style, "%lx", static_cast<unsigned long>(WS_OVERLAPPEDWINDOW | WS_VISIBLE));
        const std::string reply = Command(std::string("create ") + style + " 0 0 " + className + " - " + title);
        return reinterpret_cast<HWND>(static_cast<UINT_PTR>(std::strtoull(reply.c_str(), nullptr, 16)));
    }

private:
    PROCESS_INFORMATION m_process = {};
    HANDLE m_input = nullptr;
    HANDLE m_output = nullptr;
};

bool IsManaged(HWND window)
{
    // A managed window claims "MOX_ON_TOP": switched on, it answers the query with 1.
    const UINT onTop = RegisterWindowMessageW(L"MOX_ON_TOP");
    SendMessageW(window, onTop, 1, 0);
    const bool managed = SendMessageW(window, onTop, 4, 0) == 1;
    SendMessageW(window, onTop, 2, 0);
    return managed;
}

struct Row {
    std::string name;
    double value;
    std::string unit;
    double baseline;  // 0: no ratio
};

void Print(const std::vector<Row>& rows)
{
    std::printf("%-64s %14s %-12s %8s\n", "measurement", "figure", "unit", "ratio");
    for (const Row& row : rows) {
        if (row.baseline > 0) {
            std::printf("%-64s %14.0f %-12s %8.3f\n", row.name.c_str(), row.value, row.unit.c_str(),
                        row.value / row.baseline);
        } else {
            std::printf("%-64s %14.0f %-12s %8s\n", row.name.c_str(), row.value, row.unit.c_str(), "-");
        }
    }
    std::printf("each figure: median of %d runs of at least %.2f s each\n", Repeats, RunSeconds);
}

} // namespace

int main()
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = PlainWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = BenchClass;
    RegisterClassExW(&windowClass);

    constexpr int Sends = 1000;
    constexpr int CrossSends = 50;
    constexpr int Creations = 10;
    std::vector<Row> rows;

    WindowManagerStop();  // whatever an earlier run left behind
    WindowManagerSetIgnoreTitle({});
    WindowManagerSetIgnoreClass({L"Unmanaged*"});

    const HWND plain = CreateCaptioned(L"Plain");
    const double baseline = SendRate(plain, Sends);
    rows.push_back({"1 same-thread SendMessage, no hook", baseline, "msg/s", 0});
    const double unhookedCreation = CreationRate(Creations);

    WindowManagerStart();
    rows.push_back({"2 same-thread SendMessage, hook on, window unmanaged", SendRate(plain, Sends), "msg/s", baseline});
    const HWND managed = CreateCaptioned(L"Managed");
    if (!IsManaged(managed)) std::printf("warning: the managed window was not admitted\n");
    rows.push_back({"3 same-thread SendMessage, managed window (log silent)", SendRate(managed, Sends), "msg/s",
                    baseline});

    {
        Target target;
        const HWND remoteManaged = target.Create("LorvekTarget", "Remote managed");
        const HWND remotePlain = target.Create("UnmanagedTarget", "Remote unmanaged");
        if (!IsManaged(remoteManaged) || IsManaged(remotePlain)) std::printf("warning: remote admission unexpected\n");
        const double unmanagedRate = SendRate(remotePlain, CrossSends);
        rows.push_back({"5a cross-process SendMessage, unmanaged window", unmanagedRate, "msg/s", 0});
        rows.push_back({"5b cross-process SendMessage, managed window", SendRate(remoteManaged, CrossSends), "msg/s",
                        unmanagedRate});
    }

    rows.push_back({"6a create+destroy captioned window, no hook", unhookedCreation, "windows/s", 0});
    rows.push_back({"6b create+destroy captioned window, hook on", CreationRate(Creations), "windows/s",
                    unhookedCreation});

    DestroyWindow(managed);
    DestroyWindow(plain);
    WindowManagerStop();
    Print(rows);
    return 0;
}
