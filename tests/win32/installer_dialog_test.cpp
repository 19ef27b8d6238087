#include "app/app_module.h"
#include "base/owner_window.h"
#include "ui/installer_dialog.h"
#include "ui/resource_ids.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

bool QuitRequested()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT)
            return true;
        DispatchMessageA(&message);
    }
    return false;
}

} // namespace

TEST(InstallerDialog, ReportPanesAreFreedAndPanesEndTheLoopWithTheWindowThatOwnsNoBoxAfterwards)
{
    g_module.Init(GetModuleHandleA(nullptr));
    InstallerDialog* dialog = new InstallerDialog;
    HWND window = dialog->Create();
    ASSERT_NE(window, nullptr);
    for (int report = 0; report < 2; ++report)
        SendMessageA(window, WM_LOAD_HIDDEN_PAGE, 0, reinterpret_cast<LPARAM>(new std::string("about:blank")));
    EXPECT_FALSE(QuitRequested());

    EXPECT_EQ(g_dialog_window, window);
    DestroyWindow(window);
    EXPECT_TRUE(QuitRequested());
    EXPECT_EQ(dialog->Window(), nullptr);
    EXPECT_EQ(g_dialog_window, nullptr);
    delete dialog;
}

TEST(InstallerDialog, SkinAddressesOfOtherSchemesAreNeitherShownNorOpened)
{
    g_module.Init(GetModuleHandleA(nullptr));
    InstallerDialog dialog;
    HWND window = dialog.Create();
    ASSERT_NE(window, nullptr);
    dialog.ms_skin_page_url = "\\\\127.0.0.157\\share\\skin.html?serverName=";
    testing::internal::CaptureStdout();
    SendMessageA(window, WM_SHOW_SKIN_PAGE, 0, 0);
    SendMessageA(window, WM_OPEN_TARGET, 0, 0);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("Skin page not shown, its address is not http or https: \\\\127.0.0.157"), std::string::npos)
        << printed;
    EXPECT_NE(printed.find("Target not opened, its address is not http or https: \\\\127.0.0.157"), std::string::npos)
        << printed;
    // The pane is there, blank.
    EXPECT_NE(FindWindowExA(window, nullptr, nullptr, "ATL Browser"), nullptr);
    DestroyWindow(window);
    QuitRequested();
}

TEST(InstallerDialog, LanguageButtonsTakeTheSizeOfTheirPictures)
{
    g_module.Init(GetModuleHandleA(nullptr));
    InstallerDialog dialog;
    HWND window = dialog.Create();
    ASSERT_NE(window, nullptr);
    for (int id : {IDC_LANG_EN, IDC_LANG_RU, IDC_LANG_JP}) {
        RECT rect;
        GetWindowRect(GetDlgItem(window, id), &rect);
        EXPECT_EQ(rect.right - rect.left, 138) << id;
        EXPECT_EQ(rect.bottom - rect.top, 21) << id;
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(window, id))) << id;
    }
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
              WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(GetDlgItem(window, IDCANCEL), GWL_STYLE)) & WS_VISIBLE, 0u);
    DestroyWindow(window);
    QuitRequested();
}

// Moved to a monitor of twice the density, the window takes the rectangle
// Windows suggests, and its banner, flags and progress area twice their size.
TEST(InstallerDialog, NewDpiTakesTheSuggestedRectangleAndScalesTheContents)
{
    g_module.Init(GetModuleHandleA(nullptr));
    InstallerDialog dialog;
    HWND window = dialog.Create();
    ASSERT_NE(window, nullptr);
    auto size_of = [window](int id) {
        RECT rect;
        GetWindowRect(GetDlgItem(window, id), &rect);
        return std::to_string(rect.right - rect.left) + "x" + std::to_string(rect.bottom - rect.top);
    };
    auto client_top_of = [window](int id) {
        RECT rect;
        GetWindowRect(GetDlgItem(window, id), &rect);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
        return rect.top;
    };
    ASSERT_EQ(size_of(IDC_BANNER), "432x76") << "the test runs at 96 DPI";
    const int status_top = client_top_of(IDC_FILE_STATUS);

    RECT suggested = {40, 30, 40 + 870, 30 + 760};
    SendMessageA(window, 0x02E0, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    RECT now;
    GetWindowRect(window, &now);
    EXPECT_EQ(now.left, suggested.left);
    EXPECT_EQ(now.top, suggested.top);
    EXPECT_EQ(now.right, suggested.right);
    EXPECT_EQ(now.bottom, suggested.bottom);
    EXPECT_EQ(size_of(IDC_BANNER), "864x152");
    for (int id : {IDC_LANG_EN, IDC_LANG_RU, IDC_LANG_JP})
        EXPECT_EQ(size_of(id), "276x42") << id;
    EXPECT_EQ(size_of(IDC_FILE_PROGRESS), "836x30");
    EXPECT_EQ(client_top_of(IDC_FILE_STATUS), 2 * status_top);

    // And back: the 96-DPI sizes again.
    SendMessageA(window, 0x02E0, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(size_of(IDC_BANNER), "432x76");
    EXPECT_EQ(size_of(IDC_LANG_EN), "138x21");
    EXPECT_EQ(client_top_of(IDC_FILE_STATUS), status_top);
    DestroyWindow(window);
    QuitRequested();
}
