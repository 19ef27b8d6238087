// The installer's only window: the banner and 14 language buttons first, then
// the progress area under the brand's skin page. The worker drives it through
// the WindowChannel it derives from.
#pragma once

#include "app/idle_task.h"
#include "app/message_preview.h"
#include "base/unique_handle.h"
#include "install/window_channel.h"
#include "ui/bitmap_button.h"
#include "ui/window_dpi.h"

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

class BrowserPane;

struct IconHandleTraits {
    using Handle = HICON;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { DestroyIcon(handle); }
};
using IconHandle = UniqueHandle<IconHandleTraits>;

class InstallerDialog : public WindowChannel, public MessagePreview, public IdleTask {
public:
    static const int kLanguageButtons = 14;

    InstallerDialog() = default;
    ~InstallerDialog() override;

    // Creates the window (template 129) modelessly; null on failure.
    HWND Create();
    HWND Window() const { return mh_window; }

    bool PreviewMessage(MSG& message) override;
    bool RunIdle() override;

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    // True when the message was handled, with its result.
    bool HandleMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
    bool HandleCommand(int id);
    void Initialize(HWND window);
    void LayOut();
    int Scaled(int value) const;
    void ShowBannerAtDpi();
    void ChangeDpi(int dpi, const RECT& suggested);
    void ScaleFont(int previous);
    void FocusSystemLanguage();
    bool HandleFlagKey(const MSG& message);
    void CentreOnWorkArea();
    void SetIcons();
    void PlaceLanguageButtons(int non_client_height);
    void PlaceProgressArea(int banner_width);
    void ChooseLanguage(int id);
    void ConfirmCancel();
    void ShowSkinPage();
    void LoadHiddenPage(const std::string& address);
    void LoadNextReport();
    void OpenTarget();
    void ShowLanguages(bool show);
    bool Reflect(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
    HWND ReflectionTarget(UINT message, WPARAM wparam, LPARAM lparam) const;

    BrowserPane* mp_skin_pane = nullptr;
    // Where the skin page goes, in client coordinates.
    RECT m_skin_page_area = {};
    // One zero-size pane per report. Reports load one after the other, in
    // the order they were posted: the next waits until the page before it
    // has finished or failed.
    std::vector<BrowserPane*> m_report_panes;
    std::deque<std::string> m_pending_reports;
    bool mb_report_loading = false;
    bool mb_language_chosen = false;
    BitmapButton m_language_buttons[kLanguageButtons];
    IconHandle mh_big_icon;
    IconHandle mh_small_icon;
    // The DPI the window is laid out for (96: the design's own pixels).
    int mn_dpi = 96;
    // The banner and font made for mn_dpi; at 96 the template's own.
    BitmapHandle mh_banner;
    FontHandle mh_font;
};
