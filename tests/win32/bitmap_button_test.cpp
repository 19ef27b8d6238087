// The flag buttons must click like standard buttons: once for BM_CLICK
// (what automation and accessibility tools send), once for a press and
// release on the button, never for a press dragged off before the release.
#include "app/app_module.h"
#include "ui/installer_dialog.h"
#include "ui/resource_ids.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

int g_clicks = 0;
bool g_repaint_before_release = false;

// Counts the click commands that the English flag sends to its dialog and,
// when asked, repaints the button just before it handles a release.
LRESULT CALLBACK WatchButton(int code, WPARAM wparam, LPARAM lparam)
{
    const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (code == HC_ACTION && sent->message == WM_COMMAND && LOWORD(sent->wParam) == IDC_LANG_EN
        && HIWORD(sent->wParam) == BN_CLICKED)
        ++g_clicks;
    if (code == HC_ACTION && sent->message == WM_LBUTTONUP && g_repaint_before_release)
        RedrawWindow(sent->hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

void Pump(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(10);
    } while (GetTickCount() - start < milliseconds);
}

// Pumps until `done` holds or five seconds have passed: input takes its
// time to arrive when the machine is busy.
template <typename Condition>
bool PumpUntil(Condition done)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > 5000)
            return false;
        Pump(10);
    }
    return true;
}

void MoveMouse(POINT to)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input.mi.dx = MulDiv(to.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(to.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    SendInput(1, &input, sizeof input);
    POINT at = {};
    ASSERT_TRUE(PumpUntil([&] { return GetCursorPos(&at) && at.x == to.x && at.y == to.y; }))
        << "the pointer stayed at " << at.x << "," << at.y << " on its way to " << to.x << ","
        << to.y;
    Pump(50);
}

// Presses or releases the left button; the button takes the capture on the
// press and gives it back on the release.
void PressMouse(bool down, HWND button)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &input, sizeof input);
    ASSERT_TRUE(PumpUntil([&] { return (GetCapture() == button) == down; }))
        << "the button " << (down ? "took no capture on the press" : "kept the capture after the release")
        << "; the capture is on " << GetCapture();
    Pump(50);
}

class LanguageButtonClicks : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_module.Init(GetModuleHandleA(nullptr));
        mh_window = m_dialog.Create();
        ASSERT_NE(mh_window, nullptr);
        ShowWindow(mh_window, SW_SHOW);
        SetForegroundWindow(mh_window);
        SendMessageA(mh_window, WM_SHOW_LANGUAGES, 1, 0);
        mh_button = GetDlgItem(mh_window, IDC_LANG_EN);
        mh_hook = SetWindowsHookExA(WH_CALLWNDPROC, WatchButton, nullptr, GetCurrentThreadId());
        ASSERT_NE(mh_hook, nullptr);
        Pump(200);
        g_clicks = 0;
        g_repaint_before_release = false;
    }

    void TearDown() override
    {
        UnhookWindowsHookEx(mh_hook);
        DestroyWindow(mh_window);
        Pump(50);
    }

    POINT ButtonCentre() const
    {
        RECT rect;
        GetWindowRect(mh_button, &rect);
        return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }

    POINT FarFromTheButton() const
    {
        RECT rect;
        GetWindowRect(mh_button, &rect);
        return POINT{rect.left + 5, rect.bottom + 60};
    }

    InstallerDialog m_dialog;
    HWND mh_window = nullptr;
    HWND mh_button = nullptr;
    HHOOK mh_hook = nullptr;
};

} // namespace

TEST_F(LanguageButtonClicks, BmClickClicksOnceWhereverThePointerIs)
{
    SetCursorPos(FarFromTheButton().x, FarFromTheButton().y);
    Pump(100);
    SendMessageA(mh_button, BM_CLICK, 0, 0);
    Pump(100);
    EXPECT_EQ(g_clicks, 1);

    SetCursorPos(ButtonCentre().x, ButtonCentre().y);
    Pump(100);
    SendMessageA(mh_button, BM_CLICK, 0, 0);
    Pump(100);
    EXPECT_EQ(g_clicks, 2);
}

// The system's classic button paints an owner-drawn button at once when its
// state changes, between the press and the release that BM_CLICK makes.
TEST_F(LanguageButtonClicks, BmClickSurvivesARepaintBeforeTheRelease)
{
    SetCursorPos(FarFromTheButton().x, FarFromTheButton().y);
    Pump(100);
    g_repaint_before_release = true;
    SendMessageA(mh_button, BM_CLICK, 0, 0);
    Pump(100);
    EXPECT_EQ(g_clicks, 1);
}

TEST_F(LanguageButtonClicks, MousePressAndReleaseOnTheButtonClicks)
{
    MoveMouse(ButtonCentre());
    PressMouse(true, mh_button);
    PressMouse(false, mh_button);
    EXPECT_EQ(g_clicks, 1);
}

TEST_F(LanguageButtonClicks, MousePressDraggedOffTheButtonDoesNotClick)
{
    MoveMouse(ButtonCentre());
    PressMouse(true, mh_button);
    EXPECT_TRUE(SendMessageA(mh_button, BM_GETSTATE, 0, 0) & BST_PUSHED) << "not pushed on the press";
    MoveMouse(FarFromTheButton());
    EXPECT_TRUE(PumpUntil([&] { return !(SendMessageA(mh_button, BM_GETSTATE, 0, 0) & BST_PUSHED); }))
        << "still pushed with the pointer off the button";
    PressMouse(false, mh_button);
    EXPECT_EQ(g_clicks, 0);
}
