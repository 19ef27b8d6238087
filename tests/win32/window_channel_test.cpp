#include "base/player_box.h"
#include "install/window_channel.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <vector>

namespace {

struct Post {
    HWND window;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
};

std::vector<Post> g_posts;
int g_refusals = 0;

// Records every post; refuses the next g_refusals attempts, as a full queue
// would.
BOOL WINAPI RecordingPost(HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (g_refusals > 0) {
        --g_refusals;
        return FALSE;
    }
    g_posts.push_back(Post{window, message, wparam, lparam});
    return PostMessageA(window, message, wparam, lparam);
}

// A window with the four worker-addressed controls, driven like the dialog.
class TestChannel : public WindowChannel {
public:
    TestChannel()
    {
        Recreate();
        SetPostFunction(RecordingPost);
        g_posts.clear();
        g_refusals = 0;
    }
    ~TestChannel() override { DestroyWindow(mh_frame); }
    // A new window with new controls in place of the current one.
    void Recreate()
    {
        if (mh_frame)
            DestroyWindow(mh_frame);
        HINSTANCE instance = GetModuleHandleA(nullptr);
        mh_frame = CreateWindowA("STATIC", "Channel Test", WS_POPUP, 0, 0, 400, 200, nullptr, nullptr,
                                 instance, nullptr);
        for (int id : {IDC_FILE_PROGRESS, IDC_FILES_PROGRESS})
            CreateWindowA(PROGRESS_CLASSA, "", WS_CHILD, 0, 0, 100, 10, mh_frame,
                          reinterpret_cast<HMENU>(id), instance, nullptr);
        for (int id : {IDC_FILE_STATUS, IDC_FILES_STATUS})
            CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 100, 10, mh_frame, reinterpret_cast<HMENU>(id),
                          instance, nullptr);
        mh_window = mh_frame;
    }
    HWND Frame() const { return mh_frame; }
    HWND Bar(int id) const { return GetDlgItem(mh_frame, id); }
    void Forget() { mh_window = nullptr; }

private:
    HWND mh_frame = nullptr;
};

void Pump()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&message);
}

int CountPosts(UINT message)
{
    int count = 0;
    for (const Post& post : g_posts)
        count += post.message == message;
    return count;
}

} // namespace

TEST(WindowChannel, RangesAboveSixteenBitsArriveWhole)
{
    TestChannel channel;
    channel.SetProgressRange(IDC_FILE_PROGRESS, 100000);
    channel.SetProgressPos(IDC_FILE_PROGRESS, 70000, true);
    Pump();
    HWND bar = channel.Bar(IDC_FILE_PROGRESS);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 100000);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, TRUE, 0), 0);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 70000);

    channel.SetProgressPos(IDC_FILE_PROGRESS, 200000, true);
    Pump();
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 100000);
}

TEST(WindowChannel, StatusTextsAndCaptionChangeAtOnce)
{
    TestChannel channel;
    channel.SetStatusText(IDC_FILES_STATUS, AnsiToWide("Downloaded 1 of 3 files"));
    channel.SetCaption(AnsiToWide("Karvelo Casino Installation"));
    char text[64] = "";
    GetWindowTextA(GetDlgItem(channel.Frame(), IDC_FILES_STATUS), text, sizeof text);
    EXPECT_STREQ(text, "Downloaded 1 of 3 files");
    GetWindowTextA(channel.Frame(), text, sizeof text);
    EXPECT_STREQ(text, "Karvelo Casino Installation");
    channel.SetStatusText(IDC_FILES_STATUS, AnsiToWide(""));
    GetWindowTextA(GetDlgItem(channel.Frame(), IDC_FILES_STATUS), text, sizeof text);
    EXPECT_STREQ(text, "");

    // A text the line already shows is not sent again; it is once the line
    // shows another, and on a new window's line.
    HWND line = GetDlgItem(channel.Frame(), IDC_FILE_STATUS);
    channel.SetStatusText(IDC_FILE_STATUS, AnsiToWide("Downloading: Blackjack.wav"));
    SetWindowTextA(line, "changed behind the channel's back");
    channel.SetStatusText(IDC_FILE_STATUS, AnsiToWide("Downloading: Blackjack.wav"));
    GetWindowTextA(line, text, sizeof text);
    EXPECT_STREQ(text, "changed behind the channel's back");
    channel.SetStatusText(IDC_FILE_STATUS, AnsiToWide("Extracting: Blackjack.wav"));
    channel.SetStatusText(IDC_FILE_STATUS, AnsiToWide("Downloading: Blackjack.wav"));
    GetWindowTextA(line, text, sizeof text);
    EXPECT_STREQ(text, "Downloading: Blackjack.wav");
    channel.Recreate();
    channel.SetStatusText(IDC_FILE_STATUS, AnsiToWide("Downloading: Blackjack.wav"));
    GetWindowTextA(GetDlgItem(channel.Frame(), IDC_FILE_STATUS), text, sizeof text);
    EXPECT_STREQ(text, "Downloading: Blackjack.wav");
}

TEST(WindowChannel, RefusedApplicationMessagesAreRetriedUntilTheyLand)
{
    TestChannel channel;
    g_refusals = 5;
    channel.PostApplicationMessage(WM_SHOW_LANGUAGES, 1);
    channel.PostApplicationMessage(WM_LOAD_HIDDEN_PAGE, 0);
    ASSERT_EQ(g_posts.size(), 2u);
    EXPECT_EQ(g_posts[0].message, static_cast<UINT>(WM_SHOW_LANGUAGES));
    EXPECT_EQ(g_posts[0].wparam, 1u);
    EXPECT_EQ(g_posts[1].message, static_cast<UINT>(WM_LOAD_HIDDEN_PAGE));
    EXPECT_EQ(g_refusals, 0);
}

TEST(WindowChannel, ProgressOfA32MiBFileIsCoalesced)
{
    TestChannel channel;
    const int kBlocks = 32768;
    channel.SetProgressRange(IDC_FILE_PROGRESS, kBlocks);
    const DWORD start = GetTickCount();
    LARGE_INTEGER frequency, now, block_start;
    QueryPerformanceFrequency(&frequency);
    for (int block = 1; block <= kBlocks; ++block) {
        // About 30 us a block: a fast local link.
        QueryPerformanceCounter(&block_start);
        do
            QueryPerformanceCounter(&now);
        while ((now.QuadPart - block_start.QuadPart) * 1000000 / frequency.QuadPart < 30);
        channel.SetProgressPos(IDC_FILE_PROGRESS, block, block == kBlocks);
    }
    const DWORD elapsed = GetTickCount() - start;
    const int posts = CountPosts(PBM_SETPOS);
    EXPECT_LE(posts, static_cast<int>(elapsed / WindowChannel::kProgressIntervalMs) + 2);
    EXPECT_LT(posts, 1000);
    EXPECT_GE(posts, 2);
    ASSERT_FALSE(g_posts.empty());
    EXPECT_EQ(g_posts.back().wparam, static_cast<WPARAM>(kBlocks));
}

TEST(WindowChannel, EqualPositionsAreNeverPostedTwice)
{
    TestChannel channel;
    channel.SetProgressRange(IDC_FILES_PROGRESS, 3);
    for (int i = 0; i < 3; ++i)
        channel.SetProgressPos(IDC_FILES_PROGRESS, 1, true);
    channel.SetProgressPos(IDC_FILES_PROGRESS, 2, true);
    EXPECT_EQ(CountPosts(PBM_SETPOS), 2);
    // The same range again changes nothing on the bar: nothing is posted.
    channel.SetProgressRange(IDC_FILES_PROGRESS, 3);
    channel.SetProgressPos(IDC_FILES_PROGRESS, 2, true);
    EXPECT_EQ(CountPosts(PBM_SETRANGE32), 1);
    EXPECT_EQ(CountPosts(PBM_SETPOS), 2);
    // Another range may have clamped the bar: its first position is posted.
    channel.SetProgressRange(IDC_FILES_PROGRESS, 4);
    channel.SetProgressPos(IDC_FILES_PROGRESS, 2);
    EXPECT_EQ(CountPosts(PBM_SETRANGE32), 2);
    EXPECT_EQ(CountPosts(PBM_SETPOS), 3);
    Pump();
    EXPECT_EQ(SendMessageA(channel.Bar(IDC_FILES_PROGRESS), PBM_GETRANGE, FALSE, 0), 4);
    EXPECT_EQ(SendMessageA(channel.Bar(IDC_FILES_PROGRESS), PBM_GETPOS, 0, 0), 2);
    // A new window's bar has never had that range.
    channel.Recreate();
    channel.SetProgressRange(IDC_FILES_PROGRESS, 4);
    Pump();
    EXPECT_EQ(SendMessageA(channel.Bar(IDC_FILES_PROGRESS), PBM_GETRANGE, FALSE, 0), 4);
}

TEST(WindowChannel, CallsAfterTheWindowIsGoneAreHarmless)
{
    TestChannel channel;
    DestroyWindow(channel.Frame());
    g_refusals = 1000000;
    channel.PostApplicationMessage(WM_SHOW_SKIN_PAGE, 0);
    channel.SetProgressPos(IDC_FILE_PROGRESS, 5, true);
    channel.SetStatusText(IDC_FILE_STATUS, AnsiToWide("late"));
    channel.SetCaption(AnsiToWide("late"));

    channel.Forget();
    channel.PostApplicationMessage(WM_SHOW_SKIN_PAGE, 0);
    channel.SetProgressRange(IDC_FILE_PROGRESS, 5);
    EXPECT_TRUE(g_posts.empty());
}
