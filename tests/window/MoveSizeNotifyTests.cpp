// "MOX_MOVESIZE" posts to the overlay window while managed windows move and
// change size.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "Harness.h"
#include "Input.h"
#include "MoveSizeOverlay.h"

using namespace harness;

namespace {

std::string Describe(const std::vector<MoveSizePost>& posts)
{
    std::string text;
    for (const MoveSizePost& post : posts) {
        text += "(" + Hex(post.cause) + "," + Hex(static_cast<unsigned long long>(post.data)) + ") ";
    }
    return text;
}

LPARAM Position(const RECT& rect)
{
    return static_cast<LPARAM>(static_cast<DWORD>(MAKELONG(static_cast<WORD>(rect.left), static_cast<WORD>(rect.top))));
}

TEST(MoveSizeNotify, InteractiveMovePostsEnterPositionsExitInOrder)
{
    HookSession session;
    MoveSizeOverlay overlay;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Moved");
    ASSERT_TRUE(Activate(window));
    const RECT start = WindowRect(window);
    overlay.Clear();
    target.ClearMessages(window);
    const POINT caption = CaptionPoint(window);
    ASSERT_GE(caption.x, 0);
    Drag(window, caption, 60, 40, 4);
    ASSERT_TRUE(WaitFor([&] {
        const auto posts = overlay.Posts();
        return !posts.empty() && posts.back().cause == WM_EXITSIZEMOVE;
    })) << Describe(overlay.Posts());
    const RECT end = WindowRect(window);
    EXPECT_EQ(end.left - start.left, 60);
    EXPECT_EQ(end.top - start.top, 40);

    // Expected: enter, the start position, one position per WM_MOVE the window
    // received, exit.
    const std::vector<UINT> received = target.Messages(window);
    const auto moves = std::count(received.begin(), received.end(), static_cast<UINT>(WM_MOVE));
    const std::vector<MoveSizePost> posts = overlay.Posts();
    ASSERT_EQ(static_cast<long>(posts.size()), moves + 3) << Describe(posts);
    EXPECT_GE(moves, 1);
    EXPECT_EQ(posts.front().cause, static_cast<WPARAM>(WM_ENTERSIZEMOVE));
    EXPECT_EQ(posts.front().data, 0);
    EXPECT_EQ(posts[1].cause, static_cast<WPARAM>(WM_MOVE));
    EXPECT_EQ(posts[1].data, Position(start));
    for (size_t i = 2; i + 1 < posts.size(); ++i) EXPECT_EQ(posts[i].cause, static_cast<WPARAM>(WM_MOVE)) << i;
    EXPECT_EQ(posts[posts.size() - 2].data, Position(end));
    EXPECT_EQ(posts.back().cause, static_cast<WPARAM>(WM_EXITSIZEMOVE));
    EXPECT_EQ(posts.back().data, 0);
}

TEST(MoveSizeNotify, NegativePositionsAndSizesAreSixteenBitWords)
{
    HookSession session;
    MoveSizeOverlay overlay;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Left of the screen");
    overlay.Clear();
    ASSERT_EQ(target.Command("place " + Hex(window) + " -5 50 300 200"), "ok");
    const std::vector<MoveSizePost> posts = overlay.Posts();
    ASSERT_EQ(posts.size(), 2u) << Describe(posts);
    // One size and one move report, in the order the window got WM_SIZE and WM_MOVE.
    const bool sizeFirst = posts[0].cause == WM_SIZE;
    const MoveSizePost& size = posts[sizeFirst ? 0 : 1];
    const MoveSizePost& move = posts[sizeFirst ? 1 : 0];
    EXPECT_EQ(size.cause, static_cast<WPARAM>(WM_SIZE));
    EXPECT_EQ(size.data, static_cast<LPARAM>(MAKELONG(300, 200)));
    EXPECT_EQ(move.cause, static_cast<WPARAM>(WM_MOVE));
    EXPECT_EQ(LOWORD(move.data), 0xFFFB);
    EXPECT_EQ(static_cast<short>(LOWORD(move.data)), -5);
    EXPECT_EQ(HIWORD(move.data), 50);
    EXPECT_EQ(static_cast<unsigned long long>(move.data) >> 32, 0u);
}

TEST(MoveSizeNotify, WindowWithoutBothCaptionBitsPostsNothing)
{
    HookSession session;
    MoveSizeOverlay overlay;
    TargetProcess target;
    const HWND window = target.Create(OverlappedWindow, "Border only");
    // Managed, then one caption bit goes.
    target.Command("setstyle " + Hex(window) + " " + Hex((OverlappedWindow & ~WS_DLGFRAME)));
    ASSERT_EQ(GetWindowLongW(window, GWL_STYLE) & WS_CAPTION, WS_BORDER);
    overlay.Clear();
    target.ClearMessages(window);
    ASSERT_EQ(target.Command("place " + Hex(window) + " 150 120 300 200"), "ok");
    target.Command("send " + Hex(window) + " 231 0 0");
    target.Command("send " + Hex(window) + " 232 0 0");
    const std::vector<UINT> received = target.Messages(window);
    ASSERT_NE(std::find(received.begin(), received.end(), static_cast<UINT>(WM_MOVE)), received.end());
    EXPECT_TRUE(overlay.Posts().empty()) << Describe(overlay.Posts());
}

} // namespace
