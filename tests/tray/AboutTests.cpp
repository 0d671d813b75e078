// The About dialog of the real Hovelle.exe, opened through the main window's
// command 1002 and its icon's menu, driven from this process like a user.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DialogDriver.h"
#include "Screenshot.h"
#include "ShellAssociation.h"
#include "TrayFixture.h"

using namespace harness;

namespace {

constexpr int CloseButton = IDCANCEL;
constexpr int IconControl = 1000;
constexpr int WebButton = 1002;
constexpr int MailButton = 1003;
constexpr int ProductText = 1004;
constexpr int VersionText = 1005;

struct AboutSeen {
    std::wstring title;
    std::wstring product;
    std::wstring label;
    std::wstring version;
    std::wstring web;
    std::wstring mail;
    HWND owner = nullptr;
};

AboutSeen ReadAbout(HWND dialog)
{
    AboutSeen seen;
    seen.title = WindowText(dialog);
    seen.product = WindowText(GetDlgItem(dialog, ProductText));
    seen.version = WindowText(GetDlgItem(dialog, VersionText));
    seen.web = WindowText(GetDlgItem(dialog, WebButton));
    seen.mail = WindowText(GetDlgItem(dialog, MailButton));
    seen.owner = GetWindow(dialog, GW_OWNER);
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(child) == 0xFFFF) seen.label = WindowText(child);
    }
    return seen;
}

// Icon 102 of Hovelle.exe drawn at 32 x 32 on a background of one colour.
Image ProgramIcon(uint32_t background)
{
    Image image;
    const HMODULE program =
        LoadLibraryExW((TestDirectory() + L"Hovelle.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    const HICON icon =
        static_cast<HICON>(LoadImageW(program, MAKEINTRESOURCEW(102), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    if (icon != nullptr) {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = 32;
        info.bmiHeader.biHeight = -32;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        const HDC dc = CreateCompatibleDC(nullptr);
        const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        const HGDIOBJ previous = SelectObject(dc, bitmap);
        uint32_t* pixels = static_cast<uint32_t*>(bits);
        std::fill(pixels, pixels + 32 * 32, background);
        DrawIconEx(dc, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
        GdiFlush();
        image.width = image.height = 32;
        image.pixels.assign(pixels, pixels + 32 * 32);
        for (uint32_t& pixel : image.pixels) pixel &= 0x00FFFFFF;
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
        DestroyIcon(icon);
    }
    if (program != nullptr) FreeLibrary(program);
    return image;
}

HWND OpenAboutByCommand(const HovelleProcess& hovelle)
{
    PostMessageW(hovelle.MainWindow(), WM_COMMAND, 1002, 0);
    return WaitForDialog(hovelle.ProcessId(), L"About ");
}

// The right button pressed on the icon, as the shell reports it. True when
// the main window answered at once (a menu would hold the answer back).
bool RightButtonOnIcon(const HovelleProcess& hovelle, DWORD_PTR& answer)
{
    answer = 1;
    return SendMessageTimeoutW(hovelle.MainWindow(), WM_USER, 0, WM_RBUTTONDOWN, SMTO_NORMAL, 10000, &answer) != 0;
}

HWND WaitForMenu(const HovelleProcess& hovelle)
{
    HWND menu = nullptr;
    WaitFor([&] { return (menu = FindProcessWindow(hovelle.ProcessId(), L"#32768", true)) != nullptr; }, 15000);
    return menu;
}

TEST_F(TrayTest, AboutShowsTheProgramIconNameAndVersion)
{
    HovelleProcess hovelle;
    ASSERT_TRUE(hovelle.WaitUntilReady());
    const HWND dialog = OpenAboutByCommand(hovelle);
    ASSERT_NE(dialog, nullptr);
    const AboutSeen seen = ReadAbout(dialog);
    EXPECT_EQ(seen.title, L"About ");
    EXPECT_EQ(seen.product, L"Tenvale Window Manager");
    EXPECT_EQ(seen.label, L"Version:");
    EXPECT_EQ(seen.version, L"1, 5, 0, 0");
    EXPECT_EQ(seen.web, L"https://www.example.com/tenvale/");
    EXPECT_EQ(seen.mail, L"mailto:hovelle@example.com");
    EXPECT_EQ(seen.owner, hovelle.MainWindow());
    EXPECT_FALSE(IsWindowEnabled(hovelle.MainWindow())) << "the modal dialog disables its owner";

    // The picture on the screen, kept in the build tree. The icon control
    // shows the program icon: every opaque pixel of icon 102 of Hovelle.exe
    // is on the screen where the control is.
    BringToFront(dialog);
    Sleep(300);
    const Image shot = CaptureWindow(dialog);
    ASSERT_GT(shot.width, 0);
    EXPECT_TRUE(SavePng(shot, TestDirectory() + L"about-dialog.png"));
    RECT dialogRect = {};
    RECT iconRect = {};
    GetWindowRect(dialog, &dialogRect);
    GetWindowRect(GetDlgItem(dialog, IconControl), &iconRect);
    const int left = iconRect.left - dialogRect.left;
    const int top = iconRect.top - dialogRect.top;
    const Image onBlack = ProgramIcon(0x000000);
    const Image onWhite = ProgramIcon(0xFFFFFF);
    ASSERT_EQ(onBlack.width, 32);
    int opaque = 0;
    int matching = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            if (onBlack.At(x, y) != onWhite.At(x, y)) continue;
            ++opaque;
            if (shot.At(left + x, top + y) == onBlack.At(x, y)) ++matching;
        }
    }
    EXPECT_GT(opaque, 100);
    EXPECT_EQ(matching, opaque);

    ClickCentre(GetDlgItem(dialog, CloseButton));
    EXPECT_TRUE(WaitForGone(dialog));
    EXPECT_TRUE(IsWindowEnabled(hovelle.MainWindow()));
    EXPECT_TRUE(hovelle.Running());
}

enum class Closing { CloseButton, Escape, CloseBox };

TEST_F(TrayTest, IconMenuIsRefusedWhileAboutIsOpenAndWorksAfterEachWayOfClosingIt)
{
    HovelleProcess hovelle;
    ASSERT_TRUE(hovelle.WaitUntilReady());
    HWND dialog = OpenAboutByCommand(hovelle);
    ASSERT_NE(dialog, nullptr);
    for (const Closing closing : {Closing::CloseButton, Closing::Escape, Closing::CloseBox}) {
        const int way = static_cast<int>(closing);
        // While it is open the right button on the icon does nothing.
        DWORD_PTR answer = 1;
        EXPECT_TRUE(RightButtonOnIcon(hovelle, answer)) << way;
        EXPECT_EQ(answer, 0u);
        EXPECT_EQ(FindProcessWindow(hovelle.ProcessId(), L"#32768", true), nullptr) << way;
        EXPECT_EQ(WaitForDialog(hovelle.ProcessId(), L"About ", dialog, 0), nullptr) << "one About dialog only";

        BringToFront(dialog);
        switch (closing) {
        case Closing::CloseButton:
            ClickCentre(GetDlgItem(dialog, CloseButton));
            break;
        case Closing::Escape:
            PressKey(VK_ESCAPE);
            break;
        case Closing::CloseBox: {
            const POINT box = FindHitTest(dialog, HTCLOSE);
            ASSERT_GE(box.x, 0) << "the caption has a close box";
            ClickAt(box);
            break;
        }
        }
        ASSERT_TRUE(WaitForGone(dialog)) << way;
        EXPECT_TRUE(IsWindowEnabled(hovelle.MainWindow())) << way;

        // The icon's menu opens again; its "About..." opens the dialog again.
        SetCursorPos(400, 300);
        PostMessageW(hovelle.MainWindow(), WM_USER, 0, WM_RBUTTONDOWN);
        const HWND menu = WaitForMenu(hovelle);
        ASSERT_NE(menu, nullptr) << way;
        RECT rect = {};
        GetWindowRect(menu, &rect);
        ClickAt({(rect.left + rect.right) / 2, rect.top + (rect.bottom - rect.top) / 4});
        dialog = WaitForDialog(hovelle.ProcessId(), L"About ");
        ASSERT_NE(dialog, nullptr) << way;
    }
    BringToFront(dialog);
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitForGone(dialog));
    EXPECT_TRUE(hovelle.Running());
}

TEST_F(TrayTest, AboutLinkButtonsOpenTheirCaptionsThroughTheShell)
{
    // The scheme handlers of the test prefix record their command line and
    // verb instead of starting a browser or a mail program.
    RecordingProtocolHandlers handlers({L"https", L"mailto"});
    HovelleProcess hovelle;
    ASSERT_TRUE(hovelle.WaitUntilReady());
    const HWND dialog = OpenAboutByCommand(hovelle);
    ASSERT_NE(dialog, nullptr);

    BringToFront(dialog);
    ClickCentre(GetDlgItem(dialog, WebButton));
    EXPECT_TRUE(handlers.WaitForRecorded(1));
    EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog stays open";
    BringToFront(dialog);
    ClickCentre(GetDlgItem(dialog, MailButton));
    EXPECT_TRUE(handlers.WaitForRecorded(2));
    EXPECT_TRUE(IsWindowVisible(dialog));
    const std::vector<std::wstring> expected = {L"open https://www.example.com/tenvale/",
                                                L"open mailto:hovelle@example.com"};
    EXPECT_EQ(handlers.Recorded(), expected);

    BringToFront(dialog);
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitForGone(dialog));
}

struct ResourceEntry {
    std::wstring type;
    WORD typeId = 0;
    std::wstring name;
    WORD nameId = 0;
    WORD language = 0;
    std::vector<BYTE> data;
};

LPCWSTR ResourceKey(const std::wstring& text, WORD id)
{
    return id != 0 ? MAKEINTRESOURCEW(id) : text.c_str();
}

struct Enumeration {
    HMODULE image;
    std::vector<ResourceEntry> entries;
};

BOOL CALLBACK CollectLanguage(HMODULE image, LPCWSTR type, LPCWSTR name, WORD language, LONG_PTR parameter)
{
    auto* enumeration = reinterpret_cast<Enumeration*>(parameter);
    ResourceEntry entry;
    if (IS_INTRESOURCE(type)) entry.typeId = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(type));
    else entry.type = type;
    if (IS_INTRESOURCE(name)) entry.nameId = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
    else entry.name = name;
    entry.language = language;
    const HRSRC resource = FindResourceExW(image, type, name, language);
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(image, resource)));
    entry.data.assign(data, data + SizeofResource(image, resource));
    enumeration->entries.push_back(entry);
    return TRUE;
}

BOOL CALLBACK CollectName(HMODULE image, LPCWSTR type, LPWSTR name, LONG_PTR parameter)
{
    EnumResourceLanguagesW(image, type, name, CollectLanguage, parameter);
    return TRUE;
}

BOOL CALLBACK CollectType(HMODULE image, LPWSTR type, LONG_PTR parameter)
{
    if (type != RT_VERSION) EnumResourceNamesW(image, type, CollectName, parameter);
    return TRUE;
}

// A copy of the program file with every resource but its version information.
bool CopyWithoutVersionResource(const std::wstring& from, const std::wstring& to)
{
    Enumeration enumeration{LoadLibraryExW(from.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE), {}};
    if (enumeration.image == nullptr) return false;
    EnumResourceTypesW(enumeration.image, CollectType, reinterpret_cast<LONG_PTR>(&enumeration));
    FreeLibrary(enumeration.image);
    if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) return false;
    const HANDLE update = BeginUpdateResourceW(to.c_str(), TRUE);
    if (update == nullptr) return false;
    for (ResourceEntry& entry : enumeration.entries) {
        UpdateResourceW(update, ResourceKey(entry.type, entry.typeId), ResourceKey(entry.name, entry.nameId),
                        entry.language, entry.data.data(), static_cast<DWORD>(entry.data.size()));
    }
    return EndUpdateResourceW(update, FALSE) != FALSE && !enumeration.entries.empty();
}

TEST_F(TrayTest, ProgramFileWithoutVersionResourceShowsUnknown)
{
    const std::wstring copy = TestDirectory() + L"HovelleNoVersion.exe";
    ASSERT_TRUE(CopyWithoutVersionResource(TestDirectory() + L"Hovelle.exe", copy));
    DWORD handle = 0;
    ASSERT_EQ(GetFileVersionInfoSizeW(copy.c_str(), &handle), 0u) << "the copy has no version resource";
    {
        HovelleProcess hovelle(L"HovelleNoVersion.exe");
        ASSERT_TRUE(hovelle.WaitUntilReady());
        const HWND dialog = OpenAboutByCommand(hovelle);
        ASSERT_NE(dialog, nullptr);
        const AboutSeen seen = ReadAbout(dialog);
        EXPECT_EQ(seen.title, L"About ");
        EXPECT_EQ(seen.label, L"Version:");
        EXPECT_EQ(seen.version, L"Unknown");
        EXPECT_EQ(seen.product, L"");
        BringToFront(dialog);
        PressKey(VK_ESCAPE);
        EXPECT_TRUE(WaitForGone(dialog));
    }
    DeleteFileW(copy.c_str());
}

} // namespace
