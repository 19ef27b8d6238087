// The flag buttons must click like standard buttons: once for BM_CLICK
// (what automation and accessibility tools send), once for a press and
// release on the button, never for a press dragged off before the release.
#include "app/app_module.h"
#include "ui/bitmap_button.h"
#include "ui/installer_dialog.h"
#include "ui/resource_ids.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <tuple>
#include <vector>

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

namespace {

// Paints an owner-drawn button with the English flag's faces, as its dialog
// asks it to, into a picture of SIZE and reads the picture's pixels back.
class LanguageButtonLooks : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_module.Init(GetModuleHandleA(nullptr));
        mh_button = CreateWindowA("BUTTON", "For English", WS_POPUP | BS_OWNERDRAW, 0, 0, 138, 21, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(mh_button, nullptr);
        ASSERT_TRUE(m_button.BindToControl(mh_button));
        ASSERT_TRUE(m_button.LoadFaces(207, 1207));
    }

    void TearDown() override { DestroyWindow(mh_button); }

    // Returns false when the picture cannot be made.
    bool Paint(SIZE size, UINT state)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = size.cx;
        info.bmiHeader.biHeight = -size.cy;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HDC memory = CreateCompatibleDC(nullptr);
        HBITMAP picture = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!memory || !picture)
            return false;
        HGDIOBJ previous = SelectObject(memory, picture);
        DRAWITEMSTRUCT item = {};
        item.CtlType = ODT_BUTTON;
        item.CtlID = IDC_LANG_EN;
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = state;
        item.hwndItem = mh_button;
        item.hDC = memory;
        item.rcItem = RECT{0, 0, size.cx, size.cy};
        // Owner-draw requests reach the button through its dialog.
        SendMessageA(mh_button, WM_DRAWITEM + 0x2000, IDC_LANG_EN, reinterpret_cast<LPARAM>(&item));
        GdiFlush();
        const DWORD* pixels = static_cast<const DWORD*>(bits);
        m_pixels.assign(pixels, pixels + size.cx * size.cy);
        m_width = size.cx;
        SelectObject(memory, previous);
        DeleteObject(picture);
        DeleteDC(memory);
        return true;
    }

    COLORREF At(int x, int y) const
    {
        const DWORD pixel = m_pixels[y * m_width + x];
        return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }

    BitmapButton m_button;
    HWND mh_button = nullptr;
    std::vector<DWORD> m_pixels;
    int m_width = 0;
};

const COLORREF kLight = RGB(255, 255, 255), kDark = RGB(110, 100, 80);

} // namespace

// The face's background and the frame take each look's colours: at 1x a
// one-pixel frame, light above and dark below (swapped when pressed).
TEST_F(LanguageButtonLooks, NormalAndPressedAt1x)
{
    ASSERT_TRUE(Paint(SIZE{138, 21}, 0));
    EXPECT_EQ(At(0, 0), kLight);
    EXPECT_EQ(At(137, 20), kDark);
    EXPECT_EQ(At(136, 10), RGB(236, 233, 216)) << "right of the label";
    EXPECT_EQ(At(1, 1), RGB(236, 233, 216));

    ASSERT_TRUE(Paint(SIZE{138, 21}, ODS_SELECTED));
    EXPECT_EQ(At(0, 0), kDark);
    EXPECT_EQ(At(137, 20), kLight);
    EXPECT_EQ(At(135, 10), RGB(170, 160, 130));
}

// At 2x the frame is two pixels wide and the 2x face fills the rest.
TEST_F(LanguageButtonLooks, FrameAndFaceAt2x)
{
    ASSERT_TRUE(Paint(SIZE{276, 42}, 0));
    for (int i : {0, 1})
        EXPECT_EQ(At(i, i), kLight) << i;
    for (int i : {0, 1})
        EXPECT_EQ(At(275 - i, 41 - i), kDark) << i;
    EXPECT_EQ(At(2, 2), RGB(236, 233, 216));
    EXPECT_EQ(At(272, 20), RGB(236, 233, 216));
}

// The focus mark runs along the inside of the frame, where the face is
// plain background; a focused button painted without keyboard cues has none.
TEST_F(LanguageButtonLooks, FocusMarkOnlyWithTheFocusAndItsCues)
{
    auto marked = [this] {
        for (int x = 1; x < 137; ++x) {
            if (At(x, 1) != RGB(236, 233, 216))
                return true;
        }
        return false;
    };
    ASSERT_TRUE(Paint(SIZE{138, 21}, 0));
    EXPECT_FALSE(marked());
    ASSERT_TRUE(Paint(SIZE{138, 21}, ODS_FOCUS));
    EXPECT_TRUE(marked());
    ASSERT_TRUE(Paint(SIZE{138, 21}, ODS_FOCUS | ODS_NOFOCUSRECT));
    EXPECT_FALSE(marked());
}

// 138 x 21 at 96 DPI, exactly; scaled and rounded at the others.
TEST_F(LanguageButtonLooks, SizeAtEachDpi)
{
    for (auto [dpi, width, height] : {std::tuple{96, 138, 21}, {120, 173, 26}, {144, 207, 32}, {192, 276, 42}}) {
        const SIZE size = m_button.SizeAt(dpi);
        EXPECT_EQ(size.cx, width) << dpi;
        EXPECT_EQ(size.cy, height) << dpi;
    }
}
