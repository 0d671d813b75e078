// The window tests' harness: the hook around a test, the target program in its
// own process (one command line in, one reply line out), real input, and the
// one comparison of message sequences.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "Lorvek.h"
#include "Process.h"

namespace harness {

constexpr DWORD OverlappedWindow = WS_OVERLAPPEDWINDOW | WS_VISIBLE;

// Clears the ignore lists and every binding.
void ResetSharedSettings();

// Stops whatever an earlier test left, resets the settings and starts the hook;
// stops it at the end of the scope.
struct HookSession {
    HookSession();
    ~HookSession();
    HookSession(const HookSession&) = delete;
    HookSession& operator=(const HookSession&) = delete;
};

struct MenuItem {
    unsigned id = 0;
    bool checked = false;
    bool separator = false;
    std::string text;
};
// The four feature items (ids 0xE010 to 0xE040) of a menu.
std::vector<MenuItem> FeatureItems(const std::vector<MenuItem>& menu);

std::string Hex(unsigned long long value);
std::string Hex(const void* pointer);
// A feature message ("MOX_ON_TOP", ...) sent from this process; its answer.
LRESULT SendFeature(HWND window, const wchar_t* message, WPARAM command);

// tests/target/Target.cpp in its own process; its commands are listed there.
class TargetProcess {
public:
    explicit TargetProcess(const std::string& hookLibrary = "Lorvek.dll");
    ~TargetProcess();
    TargetProcess(const TargetProcess&) = delete;
    TargetProcess& operator=(const TargetProcess&) = delete;

    std::string Command(const std::string& line);
    HWND Create(DWORD style, const std::string& title, DWORD exStyle = 0, const std::string& className = "LorvekTarget",
                HWND parent = nullptr);
    std::vector<MenuItem> Menu(HWND window);
    // The messages the window's own procedure received since the last call.
    std::vector<UINT> Messages(HWND window);
    DWORD ProcessId() const { return m_process->Id(); }

private:
    HANDLE m_input = nullptr;
    HANDLE m_output = nullptr;
    ChildProcess* m_process = nullptr;
    std::string m_pending;
};

// Real input through the system's queue. Keys stay down until Keys(false).
void MouseTo(POINT point);
void Mouse(DWORD flags);  // MOUSEEVENTF_* of one or more events
void Keys(const std::vector<WORD>& keys, bool down, TargetProcess* reader = nullptr);
// The first point from `start` in steps of (dx, dy) where the window answers `code`; {-1, -1} if none.
POINT HitPoint(HWND window, LRESULT code, POINT start, int dx, int dy, int steps = 400);
RECT WindowRect(HWND window);

// The messages of `actual` that `expected` names (in order, with repeats of
// one message folded), compared with `expected`.
void ExpectSequence(const std::vector<UINT>& actual, const std::vector<UINT>& expected, const char* what);

} // namespace harness
