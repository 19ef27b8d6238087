#include "install/window_channel.h"

#include <commctrl.h>

WindowChannel* g_dialog = nullptr;

namespace {

const DWORD kRetryPauseMs = 10;

} // namespace

// Nothing is expected until a report is sent: waiting then returns at once.
WindowChannel::WindowChannel()
    : mp_post(PostMessageA), mh_report_settled(CreateEventA(nullptr, TRUE, TRUE, nullptr))
{
}

WindowChannel::~WindowChannel() = default;

HWND WindowChannel::Control(int control_id) const
{
    HWND window = mh_window;
    return window ? GetDlgItem(window, control_id) : nullptr;
}

void WindowChannel::SetProgressRange(int control_id, int maximum)
{
    HWND bar = Control(control_id);
    const auto posted = m_posted_ranges.find(control_id);
    if (bar && posted != m_posted_ranges.end() && posted->second.bar == bar && posted->second.maximum == maximum)
        return;
    // A new range may clamp the bar's position: the next one is posted.
    m_posted_positions.erase(control_id);
    m_posted_ranges.erase(control_id);
    if (bar && mp_post(bar, PBM_SETRANGE32, 0, maximum))
        m_posted_ranges[control_id] = PostedRange{bar, maximum};
}

// Called for every 1 KiB block: what needs no post returns before the
// control is looked up, which asks the window system each time.
void WindowChannel::SetProgressPos(int control_id, int position, bool final)
{
    const DWORD now = GetTickCount();
    const auto posted = m_posted_positions.find(control_id);
    if (posted != m_posted_positions.end()) {
        if (posted->second.position == position)
            return;
        if (!final && now - posted->second.tick < kProgressIntervalMs)
            return;
    }
    HWND bar = Control(control_id);
    if (bar && mp_post(bar, PBM_SETPOS, position, 0))
        m_posted_positions[control_id] = PostedPosition{position, now};
}

// The text of a line is asked of the window thread, which may be busy
// painting: a text the line already shows is not sent again.
void WindowChannel::SetStatusText(int control_id, const WideText& text)
{
    HWND control = Control(control_id);
    if (!control)
        return;
    const auto shown = m_shown_texts.find(control_id);
    if (shown != m_shown_texts.end() && shown->second.line == control && shown->second.text == text)
        return;
    if (SetWindowTextW(control, text.empty() ? L"" : text.data()))
        m_shown_texts[control_id] = ShownText{control, text};
    else
        m_shown_texts.erase(control_id);
}

void WindowChannel::SetCaption(const WideText& caption)
{
    if (HWND window = mh_window)
        SetWindowTextW(window, caption.empty() ? L"" : caption.data());
}

bool WindowChannel::PostApplicationMessage(UINT message, WPARAM wparam, LPARAM lparam)
{
    for (;;) {
        HWND window = mh_window;
        if (!window || !IsWindow(window))
            return false;
        if (mp_post(window, message, wparam, lparam))
            return true;
        Sleep(kRetryPauseMs);
    }
}

void WindowChannel::LoadReportPage(const std::string& address)
{
    ExpectReportPage();
    std::unique_ptr<std::string> copy(new std::string(address));
    if (PostApplicationMessage(WM_LOAD_HIDDEN_PAGE, 0, reinterpret_cast<LPARAM>(copy.get()))) {
        copy.release();
        return;
    }
    // No window will ever load it: nothing to wait for.
    ReportPageSettled();
}

std::string WindowChannel::TakeReportAddress(LPARAM lparam)
{
    std::unique_ptr<std::string> address(reinterpret_cast<std::string*>(lparam));
    return address ? *address : std::string();
}

void WindowChannel::ExpectReportPage() { ResetEvent(mh_report_settled.Get()); }

void WindowChannel::ReportPageSettled() { SetEvent(mh_report_settled.Get()); }

bool WindowChannel::WaitForReportPage(DWORD timeout_ms)
{
    return WaitForSingleObject(mh_report_settled.Get(), timeout_ms) == WAIT_OBJECT_0;
}
