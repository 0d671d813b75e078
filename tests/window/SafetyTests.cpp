// What the library may never do inside a program: change the last error it reads, free a window's objects twice
// or write them after they went, skip a null record, leave anything behind, wait for a hung window. Windows of
// this process, managed through the real hook.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <set>
#include <thread>
#include <utility>

#include "Harness.h"

#include <winternl.h>

using namespace harness;

namespace {

UINT Registered(const wchar_t* name) { return RegisterWindowMessageW(name); }
const UINT OnTop = Registered(L"MOX_ON_TOP"), Rollup = Registered(L"MOX_ROLLUP"),
           Unsubclass = Registered(L"MOX_WINDOWMANAGER_UNSUBCLASS"), See = Registered(L"MOX_TRANSPARENT");
const UINT SetOwnError = WM_APP + 1;  // the window's own procedure sets wParam as the last error
std::vector<UINT> received;           // what the own procedures received
std::set<HWND> nestRelease, dieWhenTopmost;

LRESULT CALLBACK OwnProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    received.push_back(message);
    if (message == SetOwnError) return SetLastError(static_cast<DWORD>(wParam)), 0;
    if (message == WM_DESTROY && nestRelease.erase(window)) SendMessageW(window, Unsubclass, 0, 0);
    const bool topmost = GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST;
    if (message == WM_WINDOWPOSCHANGED && topmost && dieWhenTopmost.erase(window)) return DestroyWindow(window), 0;
    return DefWindowProcW(window, message, wParam, lParam);
}
HWND MakeWindow(DWORD style = WS_OVERLAPPEDWINDOW, HWND parent = nullptr, const wchar_t* title = L"Safety") {
    static const WNDCLASSW type = {0, OwnProcedure, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, L"LorvekSafety"};
    static const ATOM atom = RegisterClassW(&type);
    return CreateWindowExW(0, MAKEINTATOM(atom), title, style, 40, 40, 300, 200, parent, nullptr, nullptr, nullptr);
}
bool Managed(HWND window) { return GetPropW(window, L"MOX_TITLEBUTTONS") != nullptr; }
POINT Pin(HWND w) { return HitPoint(w, HTBORDER, {WindowRect(w).right - 1, WindowRect(w).top + 12}, -1, 0); }
void Click(HWND window, POINT at) {  // a press on the title button and its release, as the system sends them
    SendMessageW(window, WM_NCLBUTTONDOWN, HTBORDER, MAKELPARAM(at.x, at.y));
    ScreenToClient(window, &at), SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
}

template <typename T> T* At(BYTE* base, size_t offset) { return reinterpret_cast<T*>(base + offset); }
void** ImportSlot(const char* function) {  // the library's import slot of a function
    BYTE* const base = reinterpret_cast<BYTE*>(GetModuleHandleW(L"Lorvek.dll"));
    const auto* nt = At<IMAGE_NT_HEADERS>(base, At<IMAGE_DOS_HEADER>(base, 0)->e_lfanew);
    const size_t imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto* import = At<IMAGE_IMPORT_DESCRIPTOR>(base, imports); import->Name; ++import) {
        auto* name = At<IMAGE_THUNK_DATA>(base, import->OriginalFirstThunk);
        for (auto* entry = At<IMAGE_THUNK_DATA>(base, import->FirstThunk); name->u1.AddressOfData; ++name, ++entry)
            if (!IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal) && !strcmp(At<IMAGE_IMPORT_BY_NAME>(base, name->u1.AddressOfData)->Name, function))
                return reinterpret_cast<void**>(&entry->u1.Function);
    }
    return nullptr;
}
void* Swap(void** slot, void* function) {  // what the slot pointed to
    DWORD access = 0;
    VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &access);
    void* const previous = std::exchange(*slot, function);
    return VirtualProtect(slot, sizeof *slot, access, &access), previous;
}
// The library's frees held back and poisoned while it lives: a second free of a block, or a write into a freed
// one, shows.
struct Quarantine {
    static inline std::vector<std::pair<BYTE*, size_t>> blocks;
    static inline int doubleFrees = 0;
    void** slot = ImportSlot("free");
    void* original = Swap(slot, reinterpret_cast<void*>(&Free));
    static void Free(void* block) {
        for (const auto& held : blocks) doubleFrees += held.first == block;
        if (block && !doubleFrees) blocks.emplace_back(static_cast<BYTE*>(block), _msize(block)), memset(block, 0xA5, _msize(block));
    }
    ~Quarantine() {
        Swap(slot, original);
        for (const auto& block : blocks) {
            const std::string bytes(reinterpret_cast<char*>(block.first), block.second);
            EXPECT_EQ(bytes.find_first_not_of('\xA5'), std::string::npos) << "written after its free";
            free(block.first);
        }
        EXPECT_EQ(doubleFrees, 0) << "freed twice";
        blocks.clear(), doubleFrees = 0;
    }
};

TEST(Safety, LastErrorReachesTheCallerAsTheWindowsOwnProcedureLeftIt) {
    WindowManagerStop();
    const HWND plain = MakeWindow();  // unmanaged
    HookSession session;
    const HWND window = MakeWindow();
    ASSERT_TRUE(Managed(window));
    const struct { UINT message; WPARAM wParam; DWORD expected; } rows[] = {
        {WM_USER + 5, 0, 0x1234}, {OnTop, 4, 0x1234},  // no member claims it; claimed
        {WM_NCHITTEST, 0, 0x1234},                     // the title button answers after the own procedure
        {SetOwnError, 0xBEEF, 0xBEEF}, {SetOwnError, 0, 0}};
    for (const auto& row : rows) {
        SetLastError(0x1234), SendMessageW(window, row.message, row.wParam, MAKELPARAM(45, 45));
        EXPECT_EQ(GetLastError(), row.expected) << std::hex << row.message;
    }
    // Programs tell a previous value of 0 from a failure by the last error: managed and unmanaged answer alike.
    std::vector<std::pair<LONG, DWORD>> answers;
    for (HWND w : {window, plain}) {
        SetWindowLongW(w, GWL_EXSTYLE, 0), SetLastError(0);
        answers.emplace_back(SetWindowLongW(w, GWL_EXSTYLE, WS_EX_TOOLWINDOW), GetLastError());
    }
    EXPECT_EQ(answers[0], answers[1]);
    DestroyWindow(window), DestroyWindow(plain);
}

TEST(Safety, ReleaseOnceNothingTouchedAfterItAndInputAProgramMaySend) {
    HookSession session;
    {
        Quarantine quarantine;
        const HWND nested = MakeWindow();  // takes in a release while its release at WM_DESTROY runs
        nestRelease.insert(nested), DestroyWindow(nested);
        const HWND dying = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE);  // destroyed by the pin's position change
        dieWhenTopmost.insert(dying), Click(dying, Pin(dying));
        EXPECT_FALSE(IsWindow(dying));
    }
    // A capture taken by another window ends a press: the release is the window's own again.
    const HWND window = MakeWindow(WS_OVERLAPPEDWINDOW | WS_VISIBLE), other = MakeWindow();
    const POINT pin = Pin(window);
    SendMessageW(window, WM_NCLBUTTONDOWN, HTBORDER, MAKELPARAM(pin.x, pin.y));
    SetCapture(other), ReleaseCapture(), received.clear();
    SendMessageW(window, WM_LBUTTONUP, 0, 0);
    for (UINT message : {WM_WINDOWPOSCHANGED, WM_MOVING, WM_SIZING}) SendMessageW(window, message, 0, 0);  // no records
    ExpectSequence(received, {WM_LBUTTONUP, WM_WINDOWPOSCHANGED, WM_MOVING, WM_SIZING}, "reached the own procedure");
    EXPECT_EQ(SendMessageW(window, OnTop, 4, 0), 0);
    SendMessageW(window, WM_NCLBUTTONDOWN, HTBORDER, MAKELPARAM(pin.x, pin.y));  // released in the middle of a press
    ASSERT_EQ(GetCapture(), window);
    SendMessageW(window, Unsubclass, 0, 0);
    EXPECT_EQ(GetCapture(), nullptr) << "the capture given back";
    DestroyWindow(other), DestroyWindow(window);
}

// Windows of two threads paint their pins at once; selecting a bitmap holds it a millisecond longer.
TEST(Safety, TwoThreadsPaintingAtOnceEachDrawTheSharedPinGlyph) {
    HookSession session;
    static std::atomic<int> refused{0};
    static void* select = nullptr;
    struct Slow { static HGDIOBJ WINAPI Select(HDC dc, HGDIOBJ object) {
        const HGDIOBJ previous = reinterpret_cast<decltype(&SelectObject)>(select)(dc, object);
        if (previous == nullptr || GetObjectType(object) == OBJ_BITMAP) refused += previous == nullptr, Sleep(1);
        return previous;
    } };
    void** const slot = ImportSlot("SelectObject");
    select = Swap(slot, reinterpret_cast<void*>(&Slow::Select));
    const auto paint = [] {  // a window of a system class: no own record
        const HWND window = CreateWindowExW(0, L"Static", L"", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, 0, 0, 0, 0);
        for (int i = 0; i < 50; ++i) SendMessageW(window, WM_NCPAINT, 1, 0);
        DestroyWindow(window);
    };
    std::thread one(paint), two(paint);
    one.join(), two.join();
    Swap(slot, select);
    EXPECT_EQ(refused, 0) << "a bitmap selected into two DCs at once";
}

TEST(Safety, StopDoesNotWaitForAWindowWhoseThreadIsBlocked) {
    HookSession session;
    HWND window = nullptr;
    const HANDLE block = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    std::thread owner([&] {
        SendMessageW(window = MakeWindow(), Rollup, 1, 0);
        while (MsgWaitForMultipleObjects(1, &block, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) PumpFor(0);
        Sleep(4000), PumpFor(500);  // then takes in what the stop left it
    });
    ASSERT_TRUE(WaitFor([&] { return window != nullptr && Managed(window); }));
    SetEvent(block), Sleep(100);
    const ULONGLONG start = GetTickCount64();
    WindowManagerStop();
    std::printf("stop with a blocked window: %llu ms\n", GetTickCount64() - start);
    EXPECT_LT(GetTickCount64() - start, 2000u) << "stop with a blocked window";
    EXPECT_TRUE(WaitFor([&] { return !Managed(window) && Height(window) == 200; }, 6000));
    owner.join(), DestroyWindow(window), CloseHandle(block);
}

TEST(Safety, TransparentOffGivesBackWhatTheProgramHad) {
    HookSession session;
    // The program's own layering (flags, 0: not layered), then after "on" and after "off": layered, key, alpha, flags.
    using State = std::array<DWORD, 4>;
    const struct { DWORD flags; BYTE alpha; State on, off; } rows[] = {{0, 0, {1, 0, 191, 2}, {0, 0, 0, 0}},
        {1, 200, {1, 0x30201, 191, 3}, {1, 0x30201, 0, 1}}, {3, 255, {1, 0x30201, 191, 3}, {1, 0x30201, 255, 3}}};
    for (const auto& row : rows) {
        const HWND window = MakeWindow();
        if (row.flags) SetWindowLongW(window, GWL_EXSTYLE, WS_EX_LAYERED);
        SetLayeredWindowAttributes(window, 0x30201, row.alpha, row.flags);
        for (WPARAM command : {1, 2}) {
            SendMessageW(window, See, command, 0);
            COLORREF key = 0;
            BYTE alpha = 0;
            DWORD flags = 0, layered = GetLayeredWindowAttributes(window, &key, &alpha, &flags);  // fails unlayered
            const DWORD shown = flags & LWA_ALPHA ? alpha : 0u;  // an alpha without LWA_ALPHA means nothing
            EXPECT_EQ((State{layered, key, shown, flags}), command == 1 ? row.on : row.off);
        }
    }
}

// Admission while the ignore lists are rewritten (as by "Apply"): never paused, a list never torn. More copies of the
// library in this process (setup renames an old one aside): one copy manages a window; one without a TLS slot, none.
TEST(Safety, AdmissionDuringRewritesAndByMoreCopies) {
    WindowManagerStop();
    const HWND open = MakeWindow(), bare = MakeWindow();  // before the start: not managed
    HookSession session;
    const std::vector<std::wstring> lists[] = {{L"Zz*", L"Ignored"}, {L"Ignored", L"Yy*"}};
    std::atomic<int> made{0}, wrong{0};
    WindowManagerSetIgnoreTitle(lists[0]);
    std::thread creator([&] {
        for (; made < 300; ++made) {
            const HWND window = MakeWindow(WS_OVERLAPPEDWINDOW, nullptr, made % 2 ? L"Ignored" : L"Kept");
            wrong += Managed(window) == (made % 2 == 1), DestroyWindow(window);
        }
    });
    for (int writes = 0; made < 300; ++writes) WindowManagerSetIgnoreTitle(lists[writes % 2]);
    creator.join();
    EXPECT_EQ(wrong, 0) << "windows admitted or ignored wrongly";
    using Manage = void (*)(HWND);
    const auto load = [](const wchar_t* name, bool slots) {
        const std::wstring copy = ExecutableDirectory() + name;
        CopyFileW((ExecutableDirectory() + L"Lorvek.dll").c_str(), copy.c_str(), FALSE);
        std::vector<DWORD> taken;
        for (DWORD slot; !slots && (slot = TlsAlloc()) != TLS_OUT_OF_INDEXES;) taken.push_back(slot);
        const FARPROC manage = GetProcAddress(LoadLibraryW(copy.c_str()), "WindowManagerManageWindow");
        for (DWORD slot : taken) TlsFree(slot);
        return reinterpret_cast<Manage>(reinterpret_cast<void*>(manage));
    };
    const Manage copy = load(L"LorvekCopy.dll", true), noSlot = load(L"LorvekNoSlot.dll", false);
    const struct { Manage manage; HWND window; int items; } rows[] = {
        {copy, MakeWindow(), 5}, {copy, open, 5}, {WindowManagerManageWindow, open, 5}, {noSlot, bare, 0}};
    const int plain = GetMenuItemCount(GetSystemMenu(bare, FALSE));
    for (const auto& row : rows) {
        row.manage(row.window);
        EXPECT_EQ(GetMenuItemCount(GetSystemMenu(row.window, FALSE)), plain + row.items) << "items and separator";
    }
}

// GDI objects (from the process's handle table: GetGuiResources answers nothing under Wine), windows and menus,
// and heap bytes in use.
std::array<size_t, 3> Footprint() {
    std::array<size_t, 3> footprint = {};
    using Query = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, void*, ULONG, ULONG*);
    const FARPROC query = GetProcAddress(GetModuleHandleW(L"ntdll"), "NtQueryInformationProcess");
    PROCESS_BASIC_INFORMATION basic = {};
    reinterpret_cast<Query>(reinterpret_cast<void*>(query))(GetCurrentProcess(), ProcessBasicInformation, &basic,
                                                            sizeof basic, nullptr);
    BYTE* const cells = *At<BYTE*>(reinterpret_cast<BYTE*>(basic.PebBaseAddress), sizeof(void*) == 8 ? 0xF8 : 0x94);
    MEMORY_BASIC_INFORMATION region = {};
    VirtualQuery(cells, &region, sizeof region);
    const BYTE* const end = static_cast<BYTE*>(region.BaseAddress) + region.RegionSize;
    for (const BYTE* cell = cells; cell + 24 <= end; cell += 24) footprint[0] += cell[14] != 0;
    for (UINT_PTR handle = 0x20; handle < 0x10000; handle += 2) {
        DWORD process = 0;
        GetWindowThreadProcessId(reinterpret_cast<HWND>(handle), &process);
        footprint[1] += process == GetCurrentProcessId() || IsMenu(reinterpret_cast<HMENU>(handle));
    }
    HANDLE heaps[64];
    for (DWORD i = 0, count = GetProcessHeaps(64, heaps); i < count && i < 64; ++i) {
        for (PROCESS_HEAP_ENTRY e = {}; HeapWalk(heaps[i], &e);) {
            if (e.wFlags & PROCESS_HEAP_ENTRY_BUSY) footprint[2] += e.cbData;
        }
    }
    return footprint;
}

TEST(Safety, TwoHundredWindowsLeaveNothingBehind) {
    for (bool byStop : {false, true}) {
        SCOPED_TRACE(byStop ? "released by a stop" : "destroyed");
        HookSession session;
        const auto live = [&](int count) {  // hidden: a shown window takes seconds to destroy without a window manager
            std::vector<HWND> windows(count);
            POINT pin = {-1, -1};  // every window has the same place
            for (HWND& window : windows) {
                window = MakeWindow();
                SendMessageW(window, WM_NCHITTEST, 0, 0), SendMessageW(window, WM_THEMECHANGED, 0, 0);
                SendMessageW(window, WM_NCPAINT, 1, 0), SendMessageW(window, WM_NCACTIVATE, TRUE, 0);
                for (UINT f : {OnTop, See, Rollup}) SendMessageW(window, f, 1, 0), SendMessageW(window, f, 2, 0);
                Click(window, pin.x < 0 ? (pin = Pin(window)) : pin);
            }
            if (byStop) WindowManagerStop(), WindowManagerStart();
            for (HWND window : windows) DestroyWindow(window);
        };
        live(1);  // what the first window sets up once per process
        received.clear(), received.reserve(1 << 20);  // the test's own record must not grow meanwhile
        const auto before = Footprint();
        live(200);
        const auto after = Footprint();
        std::printf("200 windows %s: GDI %zu -> %zu, windows and menus %zu -> %zu, heap bytes %zu -> %zu\n",
                    byStop ? "released by a stop" : "destroyed", before[0], after[0], before[1], after[1], before[2], after[2]);
        EXPECT_EQ(after[0], before[0]) << "GDI objects";
        EXPECT_EQ(after[1], before[1]) << "windows and menus";
        EXPECT_LT(after[2], before[2] + 200 * 8) << "bytes left per window";
    }
}

} // namespace
