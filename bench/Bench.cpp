// What the hook library costs the programs it is loaded into, above the least
// that any global WH_CALLWNDPROC hook and any subclass cost: each comparison
// runs ours and the floor (bench_floor.dll) by turns on the same windows and
// messages. Prints one table and one line per goal; never fails on a figure.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "BenchReport.h"
#include "Lorvek.h"

namespace {

constexpr int Repeats = 9;
constexpr double RunSeconds = 0.2;  // length of one timed run
constexpr UINT QuietMessage = WM_APP + 0x100;  // no chain member acts on it
const wchar_t* const BenchClass = L"LorvekBenchWindow";

double Seconds()
{
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Operations per second of one run of at least RunSeconds, in batches.
double Rate(int batch, const std::function<void()>& operation)
{
    const double start = Seconds();
    double elapsed = 0;
    long long done = 0;
    do {
        for (int i = 0; i < batch; ++i) operation();
        done += batch;
        elapsed = Seconds() - start;
    } while (elapsed < RunSeconds);
    return static_cast<double>(done) / elapsed;
}

// One way of running an operation: what is switched on around it.
struct Setup {
    std::function<void()> on, off;
};

// Median rates of `operation` under each setup, the setups taking turns.
std::vector<double> Compare(int batch, const std::vector<Setup>& setups, const std::function<void()>& operation)
{
    std::vector<std::vector<double>> rates(setups.size());
    for (int run = 0; run < Repeats; ++run) {
        for (std::size_t i = 0; i < setups.size(); ++i) {
            setups[i].on();
            rates[i].push_back(Rate(batch, operation));
            setups[i].off();
        }
    }
    std::vector<double> medians;
    for (const auto& r : rates) medians.push_back(Median(r));
    return medians;
}

LRESULT CALLBACK PlainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == QuietMessage) return 1;
    // Alt pressed and released by the bench must not start the menu loop.
    if (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_KEYMENU) return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}

// Hidden, so that destroying it is quick under Wine.
HWND CreateCaptioned(DWORD style = WS_OVERLAPPEDWINDOW)
{
    return CreateWindowExW(0, BenchClass, L"Bench", style, 50, 50, 300, 200, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

bool IsManaged(HWND window)
{
    // A managed window answers the always-on-top query; an unmanaged one leaves it to DefWindowProc (0).
    const UINT onTop = RegisterWindowMessageW(L"MOX_ON_TOP");
    SendMessageW(window, onTop, 1, 0);
    const bool managed = SendMessageW(window, onTop, 4, 0) == 1;
    SendMessageW(window, onTop, 2, 0);
    return managed;
}

template <typename Function>
Function Export(HMODULE module, const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The floor library's hook procedures and subclass switch.
struct Floor {
    HMODULE module = LoadLibraryW(L"bench_floor.dll");
    HOOKPROC hook = Export<HOOKPROC>(module, "FloorHook");
    HOOKPROC subclassingHook = Export<HOOKPROC>(module, "FloorSubclassingHook");
    void (*subclass)(HWND, BOOL) = Export<void (*)(HWND, BOOL)>(module, "FloorSubclassWindow");
    HHOOK installed = nullptr;
    void On(HOOKPROC procedure) { installed = SetWindowsHookExW(WH_CALLWNDPROC, procedure, module, 0); }
    void Off() { UnhookWindowsHookEx(installed); }
};

// Holds Alt down through SendInput for the life of the scope.
class AltDown {
public:
    AltDown() { Press(0); }
    ~AltDown() { Press(KEYEVENTF_KEYUP); }
    AltDown(const AltDown&) = delete;
    AltDown& operator=(const AltDown&) = delete;

private:
    static void Press(DWORD flags)
    {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = VK_MENU;
        input.ki.dwFlags = flags;
        SendInput(1, &input, sizeof input);
        MSG message;
        for (int i = 0; i < 20; ++i) {
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
            if (((GetAsyncKeyState(VK_MENU) & 0x8000) != 0) == (flags == 0)) return;
            Sleep(10);
        }
    }
};

// What the process holds: private bytes and GDI objects. Wine has no
// GetGuiResources, so the handle indices are walked.
struct Holdings {
    double bytes = 0, gdi = 0;
};

Holdings Hold()
{
    Holdings h;
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    h.bytes = static_cast<double>(memory.PagefileUsage);  // Wine leaves PrivateUsage 0
    for (UINT_PTR index = 1; index < 0x10000; ++index) {
        const auto handle = reinterpret_cast<HANDLE>(index);
        if (GetObjectType(handle) != 0) h.gdi += 1;
    }
    return h;
}

// What `count` windows created under the hook add, over the same windows unhooked.
Holdings PerManagedWindow(int count)
{
    auto added = [count] {
        std::vector<HWND> windows;
        const Holdings before = Hold();
        for (int i = 0; i < count; ++i) windows.push_back(CreateCaptioned());
        Holdings after = Hold();
        for (HWND window : windows) DestroyWindow(window);
        after.bytes -= before.bytes;
        after.gdi -= before.gdi;
        return after;
    };
    const Holdings plain = added();
    WindowManagerStart();
    const Holdings managed = added();
    WindowManagerStop();
    return {(managed.bytes - plain.bytes) / count, (managed.gdi - plain.gdi) / count};
}

// (a) and (b): sent messages, ours against the floor.
void SentMessages(Floor& floor)
{
    const HWND unmanaged = CreateCaptioned(WS_CAPTION);  // no system menu: never admitted
    const HWND managed = CreateCaptioned();
    const auto send = [](HWND window) { return [window] { SendMessageW(window, QuietMessage, 0, 0); }; };
    const Setup ours = {WindowManagerStart, WindowManagerStop};
    const Setup floorHook = {[&] { floor.On(floor.hook); }, [&] { floor.Off(); }};
    std::vector<double> a = Compare(1000, {ours, floorHook}, send(unmanaged));
    Row("a1 sent message, unmanaged window, floor hook", a[1], "msg/s");
    Row("a2 sent message, unmanaged window, our hook", a[0], "msg/s", a[0] / a[1]);
    Goal("a-unmanaged", a[0] / a[1], true, 0.97);

    const Setup oursManaged = {[managed] {
                                   WindowManagerStart();
                                   WindowManagerManageWindow(managed);
                               },
                               WindowManagerStop};
    const Setup floorSubclass = {[&] {
                                     floor.On(floor.hook);
                                     floor.subclass(managed, TRUE);
                                 },
                                 [&] {
                                     floor.subclass(managed, FALSE);
                                     floor.Off();
                                 }};
    oursManaged.on();
    if (!IsManaged(managed)) std::printf("warning: the managed window was not admitted\n");
    oursManaged.off();
    std::vector<double> b = Compare(1000, {oursManaged, floorSubclass}, send(managed));
    Row("b1 sent message, floor hook + floor subclass", b[1], "msg/s");
    Row("b2 sent message, managed window, our hook + chain (log silent)", b[0], "msg/s", b[0] / b[1]);
    Goal("b-managed", b[0] / b[1], true, 0.80);
    DestroyWindow(unmanaged);
    DestroyWindow(managed);
}

// (c): create + destroy a captioned window.
void Creation(Floor& floor)
{
    const Setup ours = {WindowManagerStart, WindowManagerStop};
    const Setup floorHook = {[&] { floor.On(floor.subclassingHook); }, [&] { floor.Off(); }};
    ours.on();
    const HWND probe = CreateCaptioned();
    if (!IsManaged(probe)) std::printf("warning: a created window was not admitted\n");
    DestroyWindow(probe);
    ours.off();
    std::vector<double> c = Compare(10, {ours, floorHook}, [] { DestroyWindow(CreateCaptioned()); });
    Row("c1 create+destroy captioned, floor hook + subclass at WM_CREATE", c[1], "windows/s");
    Row("c2 create+destroy captioned, our hook with admission", c[0], "windows/s", c[0] / c[1]);
    Goal("c-create", c[0] / c[1], true, 0.90);
}

void PumpFor(DWORD milliseconds)
{
    const ULONGLONG end = GetTickCount64() + milliseconds;
    MSG message;
    do {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        Sleep(5);
    } while (GetTickCount64() < end);
}

// (d): one WM_MOVING against a full snap table, Alt held or not. A probe 3
// pixels from the work area's left edge, sent at the start and at the end of
// every run, shows whether Alt counted as held through the run.
void Moving()
{
    // Wine reads the keyboard state from X again when the pointer crosses into
    // a window and when the focus changes, and then drops a key pressed with
    // SendInput: the pointer stays where no bench window comes, and the window
    // has the focus and the X events have settled before Alt goes down.
    SetCursorPos(1000, 740);
    // The work area and 999 shown captioned windows without a system menu:
    // targets, but not managed.
    for (int i = 0; i < 999; ++i) {
        CreateWindowExW(0, BenchClass, L"Target", WS_CAPTION | WS_VISIBLE, 20 + i % 400, 20 + i % 300, 120, 80,
                        nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    WindowManagerStart();
    const HWND managed = CreateCaptioned(WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    SetForegroundWindow(managed);
    for (int i = 0; i < 200 && GetFocus() != managed; ++i) PumpFor(10);
    PumpFor(500);
    SendMessageW(managed, WM_ENTERSIZEMOVE, 0, 0);
    const auto snaps = [managed] {
        RECT probe = {3, 300, 103, 400};
        SendMessageW(managed, WM_MOVING, WMSZ_LEFT, reinterpret_cast<LPARAM>(&probe));
        return probe.left == 0 ? 1 : 0;
    };
    int heldProbes = 0, upProbes = 0;
    std::optional<AltDown> alt;
    const Setup withAlt = {[&] {
                               alt.emplace();
                               heldProbes += snaps();
                           },
                           [&] {
                               heldProbes += snaps();
                               alt.reset();
                           }};
    const Setup withoutAlt = {[&] { upProbes += 1 - snaps(); }, [&] { upProbes += 1 - snaps(); }};
    // Far from every edge: both scans run to the end of the table.
    std::vector<double> d = Compare(100, {withAlt, withoutAlt}, [managed] {
        RECT rect = {3000, 3000, 3100, 3100};
        SendMessageW(managed, WM_MOVING, WMSZ_LEFT, reinterpret_cast<LPARAM>(&rect));
    });
    SendMessageW(managed, WM_EXITSIZEMOVE, 0, 0);
    if (heldProbes != 2 * Repeats || upProbes != 2 * Repeats) {
        std::printf("d  WM_MOVING not measured: Alt held in %d of %d probes, up in %d of %d\n", heldProbes,
                    2 * Repeats, upProbes, 2 * Repeats);
        Goal("d-snap", 0, true, 0.90, "not-measured");
        return;
    }
    Row("d1 WM_MOVING, 1000 snap targets, Alt up", 1e6 / d[1], "us/msg");
    Row("d2 WM_MOVING, 1000 snap targets, Alt held (probes snapped)", 1e6 / d[0], "us/msg", d[0] / d[1]);
    Goal("d-snap", d[0] / d[1], true, 0.90);
}

} // namespace

void Row(const char* name, double value, const char* unit, double ratio)
{
    if (ratio > 0) {
        std::printf("%-64s %14.2f %-12s %8.3f\n", name, value, unit, ratio);
    } else {
        std::printf("%-64s %14.2f %-12s %8s\n", name, value, unit, "-");
    }
}

namespace {
std::vector<std::string> goals;
} // namespace

void Goal(const char* name, double value, bool atLeast, double target, const char* measure)
{
    char line[160];
    const bool met = atLeast ? value >= target : value <= target;
    std::snprintf(line, sizeof line, "goal %s %s %.3f target %s%.2f %s", name, measure, value, atLeast ? ">=" : "<=",
                  target, met ? "met" : "missed");
    goals.push_back(line);
}

void PrintGoals()
{
    for (const std::string& goal : goals) std::printf("%s\n", goal.c_str());
}

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--hold") return HoldWindows(std::atoi(argv[2]));
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = PlainWindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = BenchClass;
    RegisterClassExW(&windowClass);

    WindowManagerStop();  // whatever an earlier run left behind
    WindowManagerSetIgnoreTitle({});
    WindowManagerSetIgnoreClass({});
    Floor floor;
    if (floor.hook == nullptr || floor.subclassingHook == nullptr || floor.subclass == nullptr) {
        std::printf("bench_floor.dll is missing\n");
        return 1;
    }
    std::printf("%-64s %14s %-12s %8s\n", "measurement", "figure", "unit", "ratio");
    SentMessages(floor);
    Creation(floor);
    const Holdings added = PerManagedWindow(100);
    Row("f1 per managed window: private bytes", added.bytes, "bytes");
    Row("f2 per managed window: GDI objects", added.gdi, "objects");
    Goal("f-gdi", added.gdi, false, 1);
    MeasureScale();
    Moving();
    WindowManagerStop();
    std::printf("each figure: median of %d runs of at least %.2f s each; ratio: ours / floor\n", Repeats, RunSeconds);
    PrintGoals();
    // The windows go with the process: destroying shown windows one by one is
    // slow under Wine without a window manager.
    std::fflush(stdout);
    ExitProcess(0);
}
