// A short scripted tour of Hovelle for a machine without a screen to look at:
// starts Hovelle.exe and Notepad, drives Notepad's window with real mouse and
// key input, checks what a user would see after each step, prints one line per
// step and saves a picture of the screen as NN-step.png next to this program.
// Exit code 1 when a step did not work.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <wincodec.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

namespace {

std::wstring here;  // this program's folder, with a trailing backslash
int stepNumber = 0;
bool allOk = true;

struct Handle {
    HANDLE h = nullptr;
    ~Handle() { if (h != nullptr) CloseHandle(h); }
};

void Pump(DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(10);
    } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

bool WaitUntil(const std::function<bool()>& done, DWORD ms = 5000) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < ms; Pump(50)) {
        if (done()) return true;
    }
    return done();
}

// The whole screen through WIC into a PNG file.
bool SaveScreen(const std::wstring& path) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr), memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    bool saved = false;
    IWICImagingFactory* factory = nullptr;
    IWICBitmap* image = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                   reinterpret_cast<void**>(&factory))) &&
        SUCCEEDED(factory->CreateBitmapFromHBITMAP(bitmap, nullptr, WICBitmapIgnoreAlpha, &image)) &&
        SUCCEEDED(factory->CreateStream(&stream)) && SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
        SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
        SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr))) {
        WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
        saved = SUCCEEDED(frame->SetSize(w, h)) && SUCCEEDED(frame->SetPixelFormat(&format)) &&
                SUCCEEDED(frame->WriteSource(image, nullptr)) && SUCCEEDED(frame->Commit()) &&
                SUCCEEDED(encoder->Commit());
    }
    for (IUnknown* object : std::initializer_list<IUnknown*>{frame, encoder, stream, image, factory}) {
        if (object != nullptr) object->Release();
    }
    DeleteObject(bitmap);
    return saved;
}

void Report(const char* name, const std::string& what, bool ok) {
    ++stepNumber;
    char file[64];
    std::snprintf(file, sizeof file, "%02d-%s.png", stepNumber, name);
    SaveScreen(here + std::wstring(file, file + std::strlen(file)));
    std::printf("%02d %s: %s ... %s\n", stepNumber, name, what.c_str(), ok ? "ok" : "FAILED");
    std::fflush(stdout);
    allOk = allOk && ok;
}

void Mouse(POINT at, DWORD flags = 0) {
    SetCursorPos(at.x, at.y);
    INPUT input = {INPUT_MOUSE, {}};
    input.mi.dwFlags = flags;
    if (flags != 0) SendInput(1, &input, sizeof input);
    Pump(80);
}

void Key(WORD key, bool down) {
    INPUT input = {INPUT_KEYBOARD, {}};
    input.ki.wVk = key, input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    SendInput(1, &input, sizeof input);
    Pump(100);
}

void Press(WORD key) { Key(key, true), Key(key, false); }

RECT RectOf(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

LONG ExStyle(HWND window) { return GetWindowLongW(window, GWL_EXSTYLE); }

// The caption's middle row, a little right of the icon.
POINT Caption(HWND window) {
    const RECT r = RectOf(window);
    return {r.left + 80, r.top + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION) / 2};
}

// Walks from `from` by dx until the window answers `code`.
POINT HitPoint(HWND window, LRESULT code, POINT from, int dx, int steps = 200) {
    for (POINT p = from; steps-- > 0; p.x += dx) {
        DWORD_PTR hit = HTNOWHERE;
        SendMessageTimeoutW(window, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y), SMTO_ABORTIFHUNG, 2000, &hit);
        if (static_cast<LRESULT>(hit) == code) return p;
    }
    return {-1, -1};
}

bool Start(const std::wstring& commandLine, PROCESS_INFORMATION& process, HANDLE job) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    std::wstring line = commandLine;
    for (int attempt = 0; attempt < 3; ++attempt) {  // Wine occasionally answers error 1359 under load
        if (CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
            AssignProcessToJobObject(job, process.hProcess);
            return true;
        }
        Sleep(200);
    }
    return false;
}

// The visible window of class `className` that process `pid` owns.
HWND WindowOf(DWORD pid, const wchar_t* className) {
    for (HWND w = FindWindowExW(nullptr, nullptr, className, nullptr); w != nullptr;
         w = FindWindowExW(nullptr, w, className, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner == pid && IsWindowVisible(w)) return w;
    }
    return nullptr;
}

void Focus(HWND window) {
    SetForegroundWindow(window);
    WaitUntil([&] { return GetForegroundWindow() == window; }, 2000);
}

int Tour() {
    Handle job;
    job.h = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job.h, JobObjectExtendedLimitInformation, &limits, sizeof limits);

    PROCESS_INFORMATION hovelle = {}, notepad = {};
    const bool started = Start(L"\"" + here + L"..\\x86_64\\bin\\Hovelle.exe\"", hovelle, job.h) &&
                         WaitUntil([&] { return FindWindowW(L"HovelleWnd", nullptr) != nullptr; }, 10000);
    Handle hovelleProcess{hovelle.hProcess}, hovelleThread{hovelle.hThread};
    HWND window = nullptr;
    const bool opened = started && Start(L"notepad.exe", notepad, job.h) &&
                        WaitUntil([&] { return (window = WindowOf(notepad.dwProcessId, L"Notepad")) != nullptr; }) &&
                        WaitUntil([&] { return GetPropW(window, L"MOX_TITLEBUTTONS") != nullptr; });
    Handle notepadProcess{notepad.hProcess}, notepadThread{notepad.hThread};
    if (opened) {
        SetWindowPos(window, nullptr, 200, 150, 480, 320, SWP_NOZORDER);
        Focus(window);
        Pump(500);
    }
    Report("start", "Hovelle.exe started, Notepad opened and managed", opened);
    if (!opened) return 1;

    // The pin button sits left of the minimize button and answers HTBORDER.
    const POINT caption = Caption(window);
    const POINT minimize = HitPoint(window, HTMINBUTTON, {RectOf(window).right - 1, caption.y}, -1);
    const POINT edge = HitPoint(window, HTBORDER, minimize, -1, 100);
    const POINT pin = {edge.x - 6, caption.y};
    Mouse(pin), Mouse(pin, MOUSEEVENTF_LEFTDOWN), Mouse(pin, MOUSEEVENTF_LEFTUP);
    Mouse({pin.x, pin.y + 60});
    const bool onTop = WaitUntil([&] { return (ExStyle(window) & WS_EX_TOPMOST) != 0; }, 2000);
    Report("pin", "clicked the pin button; the window is always on top", edge.x >= 0 && onTop);

    const LONG height = RectOf(window).bottom - RectOf(window).top;
    auto doubleClick = [&] {
        Mouse(caption);
        for (int i = 0; i < 2; ++i) Mouse(caption, MOUSEEVENTF_LEFTDOWN), Mouse(caption, MOUSEEVENTF_LEFTUP);
        Pump(300);
    };
    auto heightNow = [&] { return RectOf(window).bottom - RectOf(window).top; };
    doubleClick();
    const LONG rolled = heightNow();
    Report("rollup", "double-clicked the caption; height " + std::to_string(height) + " -> " + std::to_string(rolled),
           rolled < height / 3);
    Pump(300);
    doubleClick();
    const LONG unrolled = heightNow();
    Report("unroll", "double-clicked it again; height back to " + std::to_string(unrolled), unrolled == height);

    // The system menu: Restore, Move, Size, Minimize, Maximize, then ours:
    // Always on top, Rollup, Minimize To Tray, Transparent.
    Focus(window);
    Mouse({caption.x, caption.y + 60});
    Key(VK_MENU, true), Press(VK_SPACE), Key(VK_MENU, false);
    Pump(300);
    for (int i = 0; i < 8; ++i) Press(VK_DOWN);
    Press(VK_RETURN);
    BYTE alpha = 0;
    DWORD flags = 0;
    const bool layered = WaitUntil([&] {
        return (ExStyle(window) & WS_EX_LAYERED) != 0 && GetLayeredWindowAttributes(window, nullptr, &alpha, &flags) &&
               alpha == 191;
    }, 2000);
    Report("transparent", "chose Transparent from the system menu (Alt+Space); alpha " + std::to_string(alpha),
           layered);

    const POINT minimizeNow = HitPoint(window, HTMINBUTTON, {RectOf(window).right - 1, caption.y}, -1);
    Mouse(minimizeNow), Mouse(minimizeNow, MOUSEEVENTF_RIGHTDOWN), Mouse(minimizeNow, MOUSEEVENTF_RIGHTUP);
    const bool inTray = WaitUntil([&] { return !IsWindowVisible(window) && GetPropW(window, L"MOX_TRAY") != nullptr; });
    Report("tray", "right-clicked the minimize button; the window is hidden behind a tray icon", inTray);

    // What the shell sends when the icon is clicked.
    PostMessageW(window, RegisterWindowMessageW(L"MOX_TRAY_MSG"), 1000, WM_LBUTTONUP);
    const bool back = WaitUntil([&] { return IsWindowVisible(window) && GetPropW(window, L"MOX_TRAY") == nullptr; });
    Pump(500);
    Report("untray", "clicked the tray icon; the window is back", back);

    // Alt-drag to 6 pixels from the screen's left edge: the edge snaps.
    Focus(window);
    const POINT start = Caption(window);
    const int dx = -(RectOf(window).left - 6);
    Mouse(start);  // before Alt: the pointer entering a window makes Wine read the keyboard again
    Key(VK_MENU, true);
    Mouse(start, MOUSEEVENTF_LEFTDOWN);
    bool readOut = false;
    for (int step = 1; step <= 10; ++step) {
        Mouse({start.x + dx * step / 10, start.y + 20 * step / 10});
        const HWND overlay = FindWindowW(L"HovelleMoveSizeWnd", nullptr);
        readOut = readOut || (overlay != nullptr && IsWindowVisible(overlay));
    }
    Pump(200);
    Report("altmove", "Alt-dragging the caption; the read-out shows", readOut);
    Mouse({start.x + dx, start.y + 20}, MOUSEEVENTF_LEFTUP);
    Key(VK_MENU, false), Press(VK_ESCAPE);  // Alt alone opens keyboard menu mode
    Pump(300);
    const LONG left = RectOf(window).left;
    Report("snap", "dropped 6 pixels from the left edge; left edge at " + std::to_string(left), left == 0);

    PostMessageW(FindWindowW(L"HovelleWnd", nullptr), WM_COMMAND, 1003, 0);  // the menu's Exit
    const bool exited = WaitForSingleObject(hovelle.hProcess, 10000) == WAIT_OBJECT_0;
    Report("exit", "chose Exit from Hovelle's menu; Hovelle ended", exited);
    TerminateProcess(notepad.hProcess, 0);
    return allOk ? 0 : 1;
}

} // namespace

int main() {
    _setmode(_fileno(stdout), _O_BINARY);  // plain "\n" line ends for the shell that reads them
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    here = path;
    here.erase(here.find_last_of(L'\\') + 1);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const DWORD start = GetTickCount();
    const int code = Tour();
    std::printf("tour: %s in %.1f s\n", code == 0 ? "all steps ok" : "some steps FAILED",
                (GetTickCount() - start) / 1000.0);
    CoUninitialize();
    return code;
}
