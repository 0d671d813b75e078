// The window tests' harness: the hook around a test, the target program in its own process (tests/target/Target.cpp
// lists its commands), real input, and the one comparison of message sequences.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "Lorvek.h"
#include "Process.h"

namespace harness {

constexpr DWORD OverlappedWindow = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
void ResetSharedSettings();  // no ignore patterns, no bindings, no rules, "Transparent" at 75 %
struct HookSession {  // from a known state: stopped, settings reset, started; stopped at the end
    HookSession() { WindowManagerStop(), ResetSharedSettings(), WindowManagerStart(); }
    ~HookSession() { WindowManagerStop(); }
};

struct MenuItem { unsigned id; bool checked, separator; std::string text; };
std::vector<MenuItem> FeatureItems(const std::vector<MenuItem>& menu);  // ids 0xE010 to 0xE040
std::string Hex(unsigned long long value);
inline std::string Hex(const void* pointer) { return Hex(reinterpret_cast<uintptr_t>(pointer)); }
LRESULT SendFeature(HWND window, const wchar_t* message, WPARAM command);  // "MOX_ON_TOP", ...

class TargetProcess {
public:
    explicit TargetProcess(const std::string& hookLibrary = "Lorvek.dll", const std::wstring& folder = L"");  // "sub\\"
    ~TargetProcess();
    std::string Command(const std::string& line);  // one line in, one line out
    HWND Create(DWORD style, const std::string& title, DWORD exStyle = 0, const std::string& className = "LorvekTarget",
                HWND parent = nullptr);
    std::vector<MenuItem> Menu(HWND window);  // the system menu as it opens
    std::vector<UINT> Messages(HWND window);  // what its own procedure received since the last call

private:
    HANDLE m_input = nullptr, m_output = nullptr;
    std::unique_ptr<ChildProcess> m_process;
};

void Mouse(POINT at, DWORD flags = 0);  // moves there, then one MOUSEEVENTF_ button event
// Wine reads the keyboard from X again when a window gets the pointer: move the pointer first.
void Keys(const std::vector<WORD>& keys, bool down);
// The first point from `start` in steps of (dx, dy) where the window answers `code`; {-1, -1} if none.
POINT HitPoint(HWND window, LRESULT code, POINT start, int dx, int dy, int steps = 400);
inline RECT WindowRect(HWND window) { RECT rect = {}; return GetWindowRect(window, &rect), rect; }
inline LONG Height(HWND window) { const RECT rect = WindowRect(window); return rect.bottom - rect.top; }
// The messages of `actual` that `expected` names, repeats folded, compared with `expected`.
void ExpectSequence(const std::vector<UINT>& actual, const std::vector<UINT>& expected, const char* what);

} // namespace harness
