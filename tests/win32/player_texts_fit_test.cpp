// Every player text fits the control that shows it, in each of the 14
// languages: measured with the control's own font at 96 DPI, and with that
// font and the control twice as large at 192 DPI (where glyphs do not grow
// exactly twice). A line that is too long wraps out of its one-line control
// or loses its end.
#include "app/app_module.h"
#include "base/owner_window.h"
#include "base/player_box.h"
#include "install/control_ids.h"
#include "ui/installer_dialog.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

struct GdiObjectTraits {
    using Handle = HGDIOBJ;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { DeleteObject(handle); }
};
using GdiObject = UniqueHandle<GdiObjectTraits>;

// The width of `text` in `font` made `scale` times as large.
int TextWidth(const LOGFONTW& font, const WideText& text, int scale)
{
    LOGFONTW scaled = font;
    scaled.lfHeight *= scale;
    scaled.lfWidth *= scale;
    GdiObject handle(CreateFontIndirectW(&scaled));
    HDC screen = GetDC(nullptr);
    HGDIOBJ before = SelectObject(screen, handle.Get());
    SIZE size = {};
    GetTextExtentPoint32W(screen, text.data(), lstrlenW(text.data()), &size);
    SelectObject(screen, before);
    ReleaseDC(nullptr, screen);
    return size.cx;
}

LOGFONTW FontOf(HWND control)
{
    LOGFONTW font = {};
    HFONT handle = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
    GetObjectW(handle ? handle : GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    return font;
}

int LanguageIdAt(int column) { return player_texts::kLanguageColumns[column].id; }

// What the player reads in a line: a plain display name, as an entry without
// one gets, and two-digit counts.
struct LineText {
    int control_id;
    TextId id;
    std::vector<std::string> arguments;
};

WideText Filled(const LineText& line)
{
    switch (line.arguments.size()) {
    case 0:
        return PlayerText(line.id);
    case 1:
        return PlayerText(line.id, {line.arguments[0]});
    default:
        return PlayerText(line.id, {line.arguments[0], line.arguments[1]});
    }
}

class PlayerTextsFit : public testing::Test {
protected:
    void SetUp() override
    {
        g_module.Init(GetModuleHandleA(nullptr));
        ASSERT_NE(m_dialog.Create(), nullptr) << GetLastError();
    }
    void TearDown() override
    {
        SetPlayerLanguage(player_texts::kEnglish);
        DestroyWindow(m_dialog.Window());
    }

    InstallerDialog m_dialog;
};

} // namespace

TEST_F(PlayerTextsFit, StatusLinesAt96And192Dpi)
{
    const LineText lines[] = {
        {IDC_FILE_STATUS, TextId::kDownloading, {"Blackjack.wav"}},
        {IDC_FILE_STATUS, TextId::kExtracting, {"Blackjack.wav"}},
        {IDC_FILES_STATUS, TextId::kDownloadedFiles, {"10", "20"}},
    };
    for (int column = 0; column < player_texts::kLanguages; ++column) {
        SetPlayerLanguage(LanguageIdAt(column));
        // The progress area takes the language's font as it is shown.
        SendMessageW(m_dialog.Window(), WM_SHOW_LANGUAGES, 0, 0);
        for (const LineText& line : lines) {
            HWND control = GetDlgItem(m_dialog.Window(), line.control_id);
            RECT client;
            GetClientRect(control, &client);
            const WideText text = Filled(line);
            for (int scale : {1, 2})
                EXPECT_LE(TextWidth(FontOf(control), text, scale), client.right * scale)
                    << "language " << LanguageIdAt(column) << ", text " << static_cast<int>(line.id) << ", at "
                    << 96 * scale << " DPI";
        }
    }
}

// The caption shares the title bar with the icon and three buttons (the
// maximise box stays, disabled, beside the minimise box).
TEST_F(PlayerTextsFit, CaptionsAt96And192Dpi)
{
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
    RECT outer;
    GetWindowRect(m_dialog.Window(), &outer);
    const int room = (outer.right - outer.left) - 2 * GetSystemMetrics(SM_CXFRAME) - GetSystemMetrics(SM_CXSMICON)
        - 3 * GetSystemMetrics(SM_CXSIZE) - 8;
    for (int column = 0; column < player_texts::kLanguages; ++column) {
        SetPlayerLanguage(LanguageIdAt(column));
        for (const WideText& caption :
             {PlayerText(TextId::kCasinoInstallation), PlayerText(TextId::kBrandInstallation, {"Karvelo Casino"})})
            for (int scale : {1, 2})
                EXPECT_LE(TextWidth(metrics.lfCaptionFont, caption, scale), room * scale)
                    << "language " << LanguageIdAt(column) << " at " << 96 * scale << " DPI";
    }
}
