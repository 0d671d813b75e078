// The About dialog in this process: its template and version resource as
// compiled into this executable (from the tray program's About.rc), the
// version texts, and the shown dialog driven like a user would.
#include <gtest/gtest.h>

#include <thread>

#include "AboutDlg.h"
#include "AboutResource.h"
#include "DialogDriver.h"
#include "Screenshot.h"
#include "ShellAssociation.h"

using namespace harness;

namespace {

const wchar_t* const WebAddress = L"https://www.example.com/tenvale/";
const wchar_t* const MailLink = L"mailto:hovelle@example.com";
constexpr WORD EnglishAustralia = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_AUS);

// A reader of the variable-length parts of a dialog template.
class TemplateReader {
public:
    explicit TemplateReader(const BYTE* data) : m_data(data) {}
    WORD Word() { return Take<WORD>(); }
    DWORD Dword() { return Take<DWORD>(); }
    short Short() { return Take<short>(); }
    // A string, or "#n" for an ordinal.
    std::wstring StringOrOrdinal()
    {
        const WORD first = Word();
        if (first == 0xFFFF) return L"#" + std::to_wstring(Word());
        std::wstring text;
        for (WORD c = first; c != 0; c = Word()) text.push_back(static_cast<wchar_t>(c));
        return text;
    }
    void AlignDword() { m_offset = (m_offset + 3) & ~size_t(3); }

private:
    template <typename T>
    T Take()
    {
        T value;
        memcpy(&value, m_data + m_offset, sizeof value);
        m_offset += sizeof value;
        return value;
    }
    const BYTE* m_data;
    size_t m_offset = 0;
};

struct ControlRow {
    WORD id;
    std::wstring windowClass;
    DWORD style;
    short x, y, cx, cy;
    std::wstring text;
    bool operator==(const ControlRow& other) const
    {
        return id == other.id && windowClass == other.windowClass && style == other.style && x == other.x &&
               y == other.y && cx == other.cx && cy == other.cy && text == other.text;
    }
};

std::ostream& operator<<(std::ostream& out, const ControlRow& row)
{
    std::string text(row.text.begin(), row.text.end());
    std::string windowClass(row.windowClass.begin(), row.windowClass.end());
    return out << "{id " << row.id << ", " << windowClass << ", style " << std::hex << row.style << std::dec << ", "
               << row.x << "," << row.y << "," << row.cx << "," << row.cy << ", \"" << text << "\"}";
}

TEST(AboutResources, DialogTemplateMatchesTheTable)
{
    const HRSRC resource = FindResourceExW(nullptr, RT_DIALOG, MAKEINTRESOURCEW(IDD_ABOUT), EnglishAustralia);
    ASSERT_NE(resource, nullptr) << "dialog 104 in English (Australia)";
    const BYTE* data = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, resource)));
    ASSERT_NE(data, nullptr);
    TemplateReader reader(data);
    EXPECT_EQ(reader.Dword(), 0x80C800C0u) << "style";
    EXPECT_EQ(reader.Dword(), 0u) << "extended style";
    const WORD count = reader.Word();
    EXPECT_EQ(count, 7);
    EXPECT_EQ(reader.Short(), 0);
    EXPECT_EQ(reader.Short(), 0);
    EXPECT_EQ(reader.Short(), 186);
    EXPECT_EQ(reader.Short(), 74);
    EXPECT_EQ(reader.StringOrOrdinal(), L"") << "no menu";
    EXPECT_EQ(reader.StringOrOrdinal(), L"") << "the standard dialog class";
    EXPECT_EQ(reader.StringOrOrdinal(), L"About ");
    EXPECT_EQ(reader.Word(), 8) << "point size";
    EXPECT_EQ(reader.StringOrOrdinal(), L"MS Sans Serif");

    std::vector<ControlRow> controls;
    for (WORD i = 0; i < count; ++i) {
        reader.AlignDword();
        ControlRow row{};
        row.style = reader.Dword();
        EXPECT_EQ(reader.Dword(), 0u) << "extended style of control " << i;
        row.x = reader.Short();
        row.y = reader.Short();
        row.cx = reader.Short();
        row.cy = reader.Short();
        row.id = reader.Word();
        row.windowClass = reader.StringOrOrdinal();
        row.text = reader.StringOrOrdinal();
        EXPECT_EQ(reader.Word(), 0) << "creation data of control " << i;
        controls.push_back(row);
    }
    const std::wstring button = L"#128";
    const std::wstring label = L"#130";
    const DWORD child = WS_CHILD | WS_VISIBLE;
    const std::vector<ControlRow> expected = {
        {IDCANCEL, button, child | WS_TABSTOP | BS_PUSHBUTTON, 129, 7, 50, 14, L"Close"},
        {1000, label, child | SS_ICON, 7, 7, 20, 20, L""},
        {1004, label, child | WS_GROUP | SS_LEFT, 35, 7, 85, 8, L"Static"},
        {0xFFFF, label, child | WS_GROUP | SS_LEFT, 35, 20, 28, 8, L"Version:"},
        {1005, label, child | WS_GROUP | SS_LEFT, 67, 20, 57, 8, L"Static"},
        {1002, button, child | WS_TABSTOP | BS_FLAT, 7, 35, 172, 14, WebAddress},
        {1003, button, child | WS_TABSTOP | BS_FLAT, 7, 52, 172, 14, MailLink},
    };
    EXPECT_EQ(controls, expected);
}

std::wstring VersionString(const std::vector<BYTE>& block, const std::wstring& key)
{
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), (L"\\StringFileInfo\\0c0904b0\\" + key).c_str(), &value, &length)) {
        return L"(missing)";
    }
    return static_cast<const wchar_t*>(value);
}

std::wstring OwnPath()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

TEST(AboutResources, VersionResourceCarriesTheProgramData)
{
    EXPECT_NE(FindResourceExW(nullptr, RT_VERSION, MAKEINTRESOURCEW(1), EnglishAustralia), nullptr);
    const std::wstring path = OwnPath();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010005u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010005u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileFlags, 0u);
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

    EXPECT_EQ(VersionString(block, L"CompanyName"), L"Tenvale");
    EXPECT_EQ(VersionString(block, L"FileDescription"), L"Window Manager");
    EXPECT_EQ(VersionString(block, L"FileVersion"), L"1, 5, 0, 0");
    EXPECT_EQ(VersionString(block, L"InternalName"), L"Window Manager");
    EXPECT_EQ(VersionString(block, L"LegalCopyright"), L"Copyright (C) 2026 Tenvale. All rights reserved.");
    EXPECT_EQ(VersionString(block, L"OriginalFilename"), L"Hovelle.exe");
    EXPECT_EQ(VersionString(block, L"ProductName"), L"Tenvale Window Manager");
    EXPECT_EQ(VersionString(block, L"ProductVersion"), L"1, 5, 0, 0");

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0C09);
    EXPECT_EQ(translation[1], 1200);
}

TEST(AboutVersionTexts, ReadFromTheProgramFileOrUnknown)
{
    const VersionTexts own = ReadVersionTexts(OwnPath().c_str());
    EXPECT_EQ(own.version, L"1, 5, 0, 0");
    EXPECT_EQ(own.product, L"Tenvale Window Manager");

    // A program file without a version resource, and no file at all.
    const VersionTexts bare = ReadVersionTexts((TestDirectory() + L"shell_recorder.exe").c_str());
    EXPECT_EQ(bare.version, L"Unknown");
    EXPECT_EQ(bare.product, L"");
    EXPECT_EQ(ReadVersionTexts((TestDirectory() + L"no-such-file.exe").c_str()).version, L"Unknown");
}

// Everything the user sees in the open dialog.
struct AboutSeen {
    HWND dialog = nullptr;
    std::wstring title;
    std::wstring product;
    std::wstring label;
    std::wstring version;
    std::wstring web;
    std::wstring mail;
    HICON icon = nullptr;
    HWND owner = nullptr;
};

AboutSeen ReadAbout(HWND dialog)
{
    AboutSeen seen;
    seen.dialog = dialog;
    seen.title = WindowText(dialog);
    seen.product = WindowText(GetDlgItem(dialog, IDC_ABOUT_PRODUCT));
    seen.version = WindowText(GetDlgItem(dialog, IDC_ABOUT_VERSION));
    seen.web = WindowText(GetDlgItem(dialog, IDC_ABOUT_WEB));
    seen.mail = WindowText(GetDlgItem(dialog, IDC_ABOUT_MAIL));
    seen.icon = reinterpret_cast<HICON>(SendMessageW(GetDlgItem(dialog, IDC_ABOUT_ICON), STM_GETICON, 0, 0));
    seen.owner = GetWindow(dialog, GW_OWNER);
    // The label is the only control without an id of its own.
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetDlgCtrlID(child) == 0xFFFF) seen.label = WindowText(child);
    }
    return seen;
}

// Shows the About dialog of `module` on this thread and runs `drive` with
// its window on another; ends it with the abort path if the driver could not.
template <typename Drive>
void ShowDriven(CAboutDlg& about, HINSTANCE module, HWND owner, Drive drive)
{
    std::thread driver([&] {
        const HWND dialog = WaitForDialog(GetCurrentProcessId(), L"About ");
        if (dialog != nullptr) drive(dialog);
        if (dialog == nullptr || !WaitForGone(dialog)) {
            for (HWND open : ProcessDialogs(GetCurrentProcessId())) PostMessageW(open, WM_COMMAND, IDCANCEL, 0);
        }
    });
    about.Show(owner, module);
    driver.join();
}

TEST(AboutDialog, ShowsIconProductAndVersionAndClosesWithTheCloseButton)
{
    const HICON icon = LoadIconW(nullptr, MAKEINTRESOURCEW(32516)); // IDI_INFORMATION
    CAboutDlg about(icon);
    AboutSeen seen;
    bool closedByButton = false;
    Image shot;
    ShowDriven(about, GetModuleHandleW(nullptr), nullptr, [&](HWND dialog) {
        seen = ReadAbout(dialog);
        BringToFront(dialog);
        Sleep(300);
        shot = CaptureWindow(dialog);
        ClickCentre(GetDlgItem(dialog, IDCANCEL));
        closedByButton = WaitForGone(dialog);
    });
    EXPECT_EQ(seen.title, L"About ");
    EXPECT_EQ(seen.product, L"Tenvale Window Manager");
    EXPECT_EQ(seen.label, L"Version:");
    EXPECT_EQ(seen.version, L"1, 5, 0, 0");
    EXPECT_EQ(seen.web, WebAddress);
    EXPECT_EQ(seen.mail, MailLink);
    EXPECT_EQ(seen.icon, icon);
    EXPECT_TRUE(closedByButton);
    EXPECT_STREQ(about.VersionText(), L"1, 5, 0, 0");
    EXPECT_STREQ(about.ProductText(), L"Tenvale Window Manager");
    EXPECT_EQ(about.Handle(), nullptr);
    ASSERT_GT(shot.width, 0);
    EXPECT_TRUE(SavePng(shot, TestDirectory() + L"about-in-process.png"));
}

TEST(AboutDialog, WithoutIconTheIconControlStaysEmpty)
{
    CAboutDlg about(nullptr);
    HICON icon = reinterpret_cast<HICON>(1);
    ShowDriven(about, GetModuleHandleW(nullptr), nullptr, [&](HWND dialog) {
        icon = ReadAbout(dialog).icon;
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(icon, nullptr);
}

TEST(AboutDialog, EscapeAndTheCloseBoxEndIt)
{
    for (const bool closeBox : {false, true}) {
        CAboutDlg about(nullptr);
        bool closed = false;
        POINT box = {-1, -1};
        ShowDriven(about, GetModuleHandleW(nullptr), nullptr, [&](HWND dialog) {
            BringToFront(dialog);
            if (closeBox) {
                box = FindHitTest(dialog, HTCLOSE);
                if (box.x >= 0) ClickAt(box);
            } else {
                PressKey(VK_ESCAPE);
            }
            closed = WaitForGone(dialog);
        });
        if (closeBox) {
            EXPECT_GE(box.x, 0) << "the caption has a close box";
        }
        EXPECT_TRUE(closed) << (closeBox ? "close box" : "Escape");
    }
}

TEST(AboutDialog, LinkButtonsHandTheirCaptionsToTheShellAndKeepItOpen)
{
    RecordingProtocolHandlers handlers({L"https", L"mailto"});
    CAboutDlg about(nullptr);
    bool openAfterWeb = false;
    bool openAfterMail = false;
    bool recordedWeb = false;
    bool recordedMail = false;
    ShowDriven(about, GetModuleHandleW(nullptr), nullptr, [&](HWND dialog) {
        BringToFront(dialog);
        ClickCentre(GetDlgItem(dialog, IDC_ABOUT_WEB));
        recordedWeb = handlers.WaitForRecorded(1);
        openAfterWeb = IsWindowVisible(dialog) != FALSE;
        BringToFront(dialog);
        ClickCentre(GetDlgItem(dialog, IDC_ABOUT_MAIL));
        recordedMail = handlers.WaitForRecorded(2);
        openAfterMail = IsWindowVisible(dialog) != FALSE;
        BringToFront(dialog);
        PressKey(VK_ESCAPE);
    });
    EXPECT_TRUE(recordedWeb);
    EXPECT_TRUE(recordedMail);
    EXPECT_TRUE(openAfterWeb);
    EXPECT_TRUE(openAfterMail);
    const std::vector<std::wstring> expected = {std::wstring(L"open ") + WebAddress,
                                                std::wstring(L"open ") + MailLink};
    EXPECT_EQ(handlers.Recorded(), expected);
}

TEST(AboutDialog, ProgramFileWithoutVersionResourceShowsUnknown)
{
    // A copy of this program whose only resource is dialog 104, loaded as a
    // module: Show reads that file and shows that module's dialog.
    const HRSRC dialogResource = FindResourceExW(nullptr, RT_DIALOG, MAKEINTRESOURCEW(IDD_ABOUT), EnglishAustralia);
    ASSERT_NE(dialogResource, nullptr);
    void* dialogData = LockResource(LoadResource(nullptr, dialogResource));
    const std::wstring copy = TestDirectory() + L"dialog_tests_noversion.exe";
    ASSERT_TRUE(CopyFileW(OwnPath().c_str(), copy.c_str(), FALSE));
    const HANDLE update = BeginUpdateResourceW(copy.c_str(), TRUE);
    ASSERT_NE(update, nullptr);
    ASSERT_TRUE(UpdateResourceW(update, RT_DIALOG, MAKEINTRESOURCEW(IDD_ABOUT), EnglishAustralia, dialogData,
                                SizeofResource(nullptr, dialogResource)));
    ASSERT_TRUE(EndUpdateResourceW(update, FALSE));
    ASSERT_EQ(ReadVersionTexts(copy.c_str()).version, L"Unknown");

    const HMODULE module = LoadLibraryExW(copy.c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(module, nullptr);
    CAboutDlg about(nullptr);
    AboutSeen seen;
    ShowDriven(about, module, nullptr, [&](HWND dialog) {
        seen = ReadAbout(dialog);
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    FreeLibrary(module);
    DeleteFileW(copy.c_str());
    EXPECT_EQ(seen.title, L"About ");
    EXPECT_EQ(seen.version, L"Unknown");
    EXPECT_EQ(seen.product, L"");
    EXPECT_EQ(seen.label, L"Version:");
}

TEST(Screenshot, PngHasTheHeaderAndChunksOfTheImage)
{
    Image image;
    image.width = 2;
    image.height = 1;
    image.pixels = {0x00FF0000, 0x000000FF};
    const std::vector<uint8_t> png = EncodePng(image);
    const std::vector<uint8_t> signature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    ASSERT_GT(png.size(), 60u);
    EXPECT_TRUE(std::equal(signature.begin(), signature.end(), png.begin()));
    // IHDR: length 13, width 2, height 1, 8-bit RGB.
    const std::vector<uint8_t> header = {0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 0, 2, 0, 0, 0, 1, 8, 2, 0, 0, 0};
    EXPECT_TRUE(std::equal(header.begin(), header.end(), png.begin() + 8));
    // The empty IEND chunk with its well-known CRC closes the file.
    const std::vector<uint8_t> end = {0, 0, 0, 0, 'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
    EXPECT_TRUE(std::equal(end.begin(), end.end(), png.end() - 12));
    // The stored pixels: filter byte 0, then red and blue.
    const std::vector<uint8_t> row = {0, 0xFF, 0, 0, 0, 0, 0xFF};
    EXPECT_NE(std::search(png.begin(), png.end(), row.begin(), row.end()), png.end());
}

} // namespace
