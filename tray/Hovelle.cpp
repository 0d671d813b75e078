// The entry of the tray program: configure and start the hook library, run
// until "Exit", stop the hook library on the way out.
#include <windows.h>

#include "Lorvek.h"
#include "MainWnd.h"
#include "MoveSizeWnd.h"
#include "Program.h"
#include "Settings.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    SetProgramInstance(instance);
    Settings settings;
    LoadSettings(settings);
    SaveSettings(settings);
    WindowManagerSetIgnoreTitle(settings.ignoreTitles);
    WindowManagerSetIgnoreClass(settings.ignoreClasses);
    ApplyMouseBindings(settings);
    WindowManagerStart();

    try {
        CMainWnd* mainWindow = CreateMainWindow(instance);
        if (MoveSizeWindow() == nullptr) {
            SetMoveSizeWindow(CreateMoveSizeWindow(mainWindow->Handle(), instance));
            ShowWindow(MoveSizeWindow()->Handle(), SW_HIDE);
        }
        RunMessageLoop();
    } catch (...) {
        MessageBoxW(nullptr, L"An exception occured", L"Window Manager", MB_ICONERROR);
    }

    // The framework has deleted the overlay together with its window.
    SetMoveSizeWindow(nullptr);
    WindowManagerStop();
    return 0;
}
