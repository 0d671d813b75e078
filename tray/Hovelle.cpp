// The entry of the tray program: configure and start the hook library, run
// until "Exit", stop the hook library on the way out. One copy runs per user
// session; a second start opens the Settings window of the first and ends.
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

// Hands the request to the running copy, which may still be starting.
void OpenSettingsOfRunningCopy()
{
    for (int tries = 0; tries < 50; ++tries) {
        const HWND window = FindWindowW(L"HovelleWnd", L"Window Manager");
        if (window != nullptr) {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            AllowSetForegroundWindow(process);
            PostMessageW(window, WM_COMMAND, IDC_SETTINGS, 0);
            return;
        }
        Sleep(100);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    // Held until this copy ends; the name is the same in the whole session.
    const UniqueHandle running(CreateMutexW(nullptr, FALSE, L"Local\\Tenvale.Hovelle.Running"));
    if (running && GetLastError() == ERROR_ALREADY_EXISTS) {
        OpenSettingsOfRunningCopy();
        return 0;
    }

    SetProgramInstance(instance);
    Settings& settings = CurrentSettings();
    LoadSettings(settings);
    SaveSettings(settings);
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
        // A refused hotkey is shown in the Settings window.
        RegisterOnTopHotkey(mainWindow->Handle(), settings.onTopHotkey);
        if (settings.manageExistingWindows) ManageOpenWindows();
        RunMessageLoop();
    } catch (...) {
        MessageBoxW(nullptr, L"An exception occured", L"Window Manager", MB_ICONERROR);
    }

    // The framework has deleted the overlay together with its window.
    SetMoveSizeWindow(nullptr);
    WindowManagerStop();
    return 0;
}
