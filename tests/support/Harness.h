// Helpers shared by the window tests: the hook around a test, the target
// program in its own process, the shared section seen from outside, and the
// feature messages.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "Lorvek.h"

namespace harness {

constexpr DWORD OverlappedWindow = WS_OVERLAPPEDWINDOW | WS_VISIBLE;

// Stops whatever an earlier test left, clears the ignore lists and starts the
// hook; stops it again at the end of the scope.
class HookSession {
public:
    HookSession();
    ~HookSession();
    HookSession(const HookSession&) = delete;
    HookSession& operator=(const HookSession&) = delete;
};

// Clears the ignore lists and every binding.
void ResetSharedSettings();

struct MenuItem {
    unsigned id = 0;
    bool checked = false;
    bool separator = false;
    std::string text;
};

// The target program, started as a separate process that creates windows on
// command. Everything it started ends with it.
class TargetProcess {
public:
    explicit TargetProcess(const std::string& hookLibrary = "Lorvek.dll");
    ~TargetProcess();
    TargetProcess(const TargetProcess&) = delete;
    TargetProcess& operator=(const TargetProcess&) = delete;

    // One command line in, one reply line out.
    std::string Command(const std::string& line);

    HWND Create(DWORD style, const std::string& title, DWORD exStyle = 0, const std::string& className = "LorvekTarget",
                HWND parent = nullptr, const std::string& options = "-");
    std::vector<MenuItem> Menu(HWND window);
    std::vector<UINT> Messages(HWND window);
    void ClearMessages(HWND window);
    DWORD ProcessId() const { return m_process.dwProcessId; }

private:
    PROCESS_INFORMATION m_process = {};
    HANDLE m_job = nullptr;
    HANDLE m_input = nullptr;
    HANDLE m_output = nullptr;
    std::string m_pending;
};

std::string Hex(const void* pointer);
std::string Hex(unsigned long long value);

// The feature items of a menu: the items whose ids lie in 0xE010..0xE040.
std::vector<MenuItem> FeatureItems(const std::vector<MenuItem>& menu);
// The index of the item with the id, or -1.
int IndexOf(const std::vector<MenuItem>& menu, unsigned id);
// The menu without the feature block (the four items and the separator after them).
std::vector<MenuItem> WithoutFeatureBlock(const std::vector<MenuItem>& menu);
bool SameItems(const std::vector<MenuItem>& a, const std::vector<MenuItem>& b);

// Sends a feature message ("MOX_ON_TOP", ...) from this process.
LRESULT SendFeature(HWND window, const wchar_t* message, WPARAM command);
bool IsTopmost(HWND window);

// The shared section HOVELLE of a loaded module, read through its PE headers.
struct SharedSectionView {
    MoxAction MouseActions[3][3][22];
    MoxAction MouseActionsDblClk[3][3][22];
    HHOOK HookHandle;
    bool ManageEnabled;
    wchar_t IgnoreTitlePatterns[1024];
    wchar_t IgnoreClassPatterns[1024];
};
struct SectionInfo {
    SharedSectionView* data = nullptr;
    DWORD virtualSize = 0;
    DWORD characteristics = 0;
};
SectionInfo FindSharedSection(const wchar_t* module = L"Lorvek.dll");

// Polls `condition` for up to `milliseconds`, pumping this thread's messages.
template <typename Condition>
bool WaitFor(Condition condition, DWORD milliseconds = 5000)
{
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= end) return false;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        Sleep(10);
    }
}

} // namespace harness
