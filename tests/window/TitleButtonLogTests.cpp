// The debug log written from inside the target process while the shipped log
// file exists: one "TitleButtonsWindowProc" line per message of a managed
// window, and the painting lines of the title buttons.
#include <gtest/gtest.h>

#include <algorithm>

#include "TitleButtonGeometry.h"
#include "TitleButtonSupport.h"

using namespace harness;

namespace {

std::wstring Upper32(const void* handle)
{
    wchar_t text[16];
    wsprintfW(text, L"%X", static_cast<unsigned>(reinterpret_cast<UINT_PTR>(handle)));
    return text;
}

std::vector<std::wstring> StartingWith(const std::vector<std::wstring>& lines, const std::wstring& prefix)
{
    std::vector<std::wstring> matching;
    for (const std::wstring& line : lines) {
        if (line.compare(0, prefix.size(), prefix) == 0) matching.push_back(line);
    }
    return matching;
}

TEST(TitleButtonLog, EveryMessageOfAManagedWindowWritesOneLine)
{
    ShippedLogFile log;
    HookSession session;
    MouseMoveTo({1000, 740});
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Logged");
    MakeClassic(target, window);
    const HANDLE block = GetPropW(window, L"MOX_TITLEBUTTONS");
    ASSERT_NE(block, nullptr);
    const std::wstring prefix = L"TitleButtonsWindowProc 0x" + Upper32(window) + L" ";
    EXPECT_FALSE(StartingWith(log.Lines(), prefix).empty()) << "lines from the window's creation";

    // Quiet window: only the messages sent now reach it.
    target.Command("send " + Hex(window) + " 0 0 0");
    log.Clear();
    target.ClearMessages(window);
    const int sent = 25;
    for (int i = 0; i < sent; ++i) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(window, WM_USER + 7, i, 0, SMTO_NORMAL, 5000, &result);
    }
    target.Command("send " + Hex(window) + " 0 0 0");  // the last line is surely written
    const std::vector<UINT> received = target.Messages(window);
    EXPECT_EQ(std::count(received.begin(), received.end(), WM_USER + 7), sent);
    const std::vector<std::wstring> lines = StartingWith(log.Lines(), L"TitleButtonsWindowProc 0x" + Upper32(window));
    EXPECT_EQ(lines.size(), received.size()) << "one line per message that reached the chain";
    const std::wstring expected = prefix + L"0x" + Upper32(block);
    EXPECT_TRUE(std::all_of(lines.begin(), lines.end(), [&](const std::wstring& line) { return line == expected; }))
        << std::string(expected.begin(), expected.end());

    // A window that is not managed writes nothing.
    const HWND popup = target.Create(WS_POPUP | WS_VISIBLE, "Unmanaged popup");
    log.Clear();
    SendMessageW(popup, WM_USER + 7, 0, 0);
    EXPECT_TRUE(StartingWith(log.Lines(), L"TitleButtonsWindowProc 0x" + Upper32(popup)).empty());
}

TEST(TitleButtonLog, FramePaintWritesTheButtonLines)
{
    ShippedLogFile log;
    HookSession session;
    MouseMoveTo({1000, 740});
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Painted and logged");
    MakeClassic(target, window);
    TitleButtons block = {};
    ASSERT_TRUE(ReadTitleButtons(target.ProcessId(), window, block));
    target.Command("send " + Hex(window) + " 0 0 0");
    log.Clear();
    RepaintFrameOf(window);
    target.Command("send " + Hex(window) + " 0 0 0");
    const std::wstring head = L"Caption_NCPaint 0x" + Upper32(window);
    const std::vector<std::wstring> paint = StartingWith(log.Lines(), head);
    const RECT glyph = TitleButtonGlyphRect(PinFace(window, true), false, false);
    const std::vector<std::wstring> expected = {
        head,
        head + L" Button Rgn 0",
        head + L" Button Draw 0 " + Upper32(block.buttons[0].glyph),
        head + L" Button Rect top:" + std::to_wstring(glyph.top) + L" bottom:" + std::to_wstring(glyph.bottom) +
            L" left:" + std::to_wstring(glyph.left) + L" right" + std::to_wstring(glyph.right),
    };
    ASSERT_GE(paint.size(), expected.size());
    EXPECT_EQ(std::vector<std::wstring>(paint.begin(), paint.begin() + 4), expected);
}

} // namespace
