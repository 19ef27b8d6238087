#include "install/window_channel.h"
#include "store/installer.h"
#include "store/run_values.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

int g_hidden_page_posts = 0;

BOOL WINAPI CountingPost(HWND, UINT message, WPARAM, LPARAM)
{
    g_hidden_page_posts += message == WM_LOAD_HIDDEN_PAGE;
    return TRUE;
}

// The window side of the report, with a hidden window and counted posts.
class ReportChannel : public WindowChannel {
public:
    ReportChannel()
        : mh_frame(CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr))
    {
        mh_window = mh_frame;
        SetPostFunction(CountingPost);
        g_dialog = this;
        g_hidden_page_posts = 0;
    }
    ~ReportChannel() override
    {
        g_dialog = nullptr;
        DestroyWindow(mh_frame);
    }

private:
    HWND mh_frame;
};

} // namespace

TEST(InstallerReport, LoadsTheReportPageForActionsOneAndTwoOnly)
{
    ReportChannel channel;
    Installer installer;
    const int saved_did = did;
    did = -12;
    EXPECT_FALSE(installer.Report(0));
    EXPECT_FALSE(installer.Report(3));
    EXPECT_EQ(g_hidden_page_posts, 0);
    EXPECT_TRUE(channel.WaitForReportPage(0));

    EXPECT_TRUE(installer.Report(2));
    EXPECT_EQ(channel.ms_report_url, "https://stats.karvelo.example/players_downloads.asp?distId=-12&dlAction=2");
    EXPECT_EQ(g_hidden_page_posts, 1);
    // Until the page has settled the process must not end.
    EXPECT_FALSE(channel.WaitForReportPage(0));
    channel.ReportPageSettled();
    EXPECT_TRUE(channel.WaitForReportPage(0));
    did = saved_did;
}
