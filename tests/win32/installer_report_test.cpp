#include "install/worker/window_channel.h"
#include "store/installer.h"
#include "store/run_values.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_report_addresses;

BOOL WINAPI RecordingPost(HWND, UINT message, WPARAM, LPARAM lparam)
{
    if (message == WM_LOAD_HIDDEN_PAGE)
        g_report_addresses.push_back(WindowChannel::TakeReportAddress(lparam));
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
        SetPostFunction(RecordingPost);
        g_dialog = this;
        g_report_addresses.clear();
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
    EXPECT_TRUE(g_report_addresses.empty());
    EXPECT_TRUE(channel.WaitForReportPage(0));

    // Each message carries its own address: a second report cannot
    // overwrite the first one while it waits in the queue.
    EXPECT_TRUE(installer.Report(1));
    EXPECT_TRUE(installer.Report(2));
    EXPECT_EQ(g_report_addresses,
              (std::vector<std::string>{"https://stats.karvelo.example/players_downloads.asp?distId=-12&dlAction=1",
                                        "https://stats.karvelo.example/players_downloads.asp?distId=-12&dlAction=2"}));
    // Until the page has settled the process must not end.
    EXPECT_FALSE(channel.WaitForReportPage(0));
    channel.ReportPageSettled();
    EXPECT_TRUE(channel.WaitForReportPage(0));
    did = saved_did;
}
