// The entry of the tray program: configure and start the hook library, run
// until "Exit", stop the hook library on the way out. One copy runs per user
// session; a second start opens the Settings window of the first and ends,
// or waits for a first copy that is ending and then starts.
#include <windows.h>

#include <memory>

#include "Lorvek.h"
#include "MainWnd.h"
#include "MoveSizeWnd.h"
#include "Program.h"
#include "Resource.h"
#include "Settings.h"
#include "StoredRules.h"
#include "WindowCommands.h"

namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

// Hands the request to the running copy, which may still be starting, and
// answers false; or waits for a copy that is ending to be gone and answers
// true: this copy then holds `running` and starts.
bool WaitForRunningCopy(HANDLE running)
{
    for (int tries = 0; tries < 100; ++tries) {
        const HWND window = FindWindowW(L"HovelleWnd", L"Window Manager");
        if (window != nullptr) {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            AllowSetForegroundWindow(process);
            PostMessageW(window, WM_COMMAND, IDC_SETTINGS, 0);
            return false;
        }
        const DWORD wait = WaitForSingleObject(running, 100);
        if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) return true;
    }
    return false;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    // Owned until this copy ends; the name is the same in the whole session.
    const UniqueHandle running(CreateMutexW(nullptr, TRUE, L"Local\\Tenvale.Hovelle.Running"));
    if (running && GetLastError() == ERROR_ALREADY_EXISTS && !WaitForRunningCopy(running.get())) return 0;

    SetProgramInstance(instance);
    Settings& settings = CurrentSettings();
    LoadSettings(settings);
    SaveSettings(settings);
    FollowMovedProgram();
    WindowManagerSetIgnoreTitle(settings.ignoreTitles);
    WindowManagerSetIgnoreClass(settings.ignoreClasses);
    ApplyMouseBindings(settings);
    WindowManagerSetTransparentOpacity(static_cast<int>(settings.transparentOpacity));
    ApplyStoredRules();
    WindowManagerStart();

    try {
        CMainWnd* mainWindow = CreateMainWindow(instance);
        if (MoveSizeWindow() == nullptr) {
            SetMoveSizeWindow(CreateMoveSizeWindow(mainWindow->Handle(), instance));
            ShowWindow(MoveSizeWindow()->Handle(), SW_HIDE);
        }
        // A hotkey that cannot be used is said once, and in the Settings window.
        const HotkeyState hotkey = RegisterOnTopHotkey(mainWindow->Handle(), settings.onTopHotkey);
        if (hotkey == HotkeyState::Held || hotkey == HotkeyState::WithoutModifier) {
            mainWindow->ShowBalloon(0, HotkeyStateText(settings.onTopHotkey, hotkey, true));
        }
        if (settings.manageExistingWindows) ManageOpenWindows();
        RunMessageLoop();
    } catch (...) {
        MessageBoxW(nullptr, L"An exception occured", L"Window Manager", MB_ICONERROR);
    }

    // The framework has deleted the overlay together with its window.
    SetMoveSizeWindow(nullptr);
    WindowManagerStop();
    if (running) ReleaseMutex(running.get());
    return 0;
}
