// What the worker needs of the installer window: the application messages it
// posts, the progress and status operations, the skin page address handed
// over with its message, and the report pages. The dialog derives from this
// and sets the window; the worker never includes the dialog itself.
#pragma once

#include "base/narrow_names.h"
#include "base/unique_handle.h"
#include "install/control_ids.h"

#include <windows.h>

#include <atomic>
#include <map>
#include <memory>
#include <string>

enum {
    WM_SHOW_SKIN_PAGE = WM_APP + 1,
    WM_OPEN_TARGET = WM_APP + 2,
    WM_SHOW_LANGUAGES = WM_APP + 3,
    WM_LOAD_HIDDEN_PAGE = WM_APP + 4,
};

class WindowChannel {
public:
    typedef BOOL(WINAPI* PostFunction)(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

    // Least time between two posted positions of one bar. The bar cannot show
    // more, and a post per 1 KiB block would fill the window's queue.
    static const DWORD kProgressIntervalMs = 20;

    WindowChannel();
    virtual ~WindowChannel();
    WindowChannel(const WindowChannel&) = delete;
    WindowChannel& operator=(const WindowChannel&) = delete;

    // Posted: range 0..maximum, whole even above 65535. A range equal to the
    // one last posted to that bar is not posted again: a run of files of one
    // size would otherwise repaint the bar for nothing at every file.
    void SetProgressRange(int control_id, int maximum);
    // Posted when it differs from the last posted position of that bar and
    // the interval has passed since, or always when `final` is set.
    void SetProgressPos(int control_id, int position, bool final = false);
    // Synchronous text changes, in zero-terminated wide text (the player's
    // texts, base/player_box). A text equal to the one last set on that
    // line is not set again; an empty WideText clears the line.
    void SetStatusText(int control_id, const WideText& text);
    void SetCaption(const WideText& caption);
    // Posts one of the four application messages; a post the queue refuses
    // is retried until it lands or the window is gone. False when it never
    // landed.
    bool PostApplicationMessage(UINT message, WPARAM wparam, LPARAM lparam = 0);

    // The hidden report page: each WM_LOAD_HIDDEN_PAGE carries a copy of its
    // address of its own, which the window takes over with TakeReportAddress,
    // so that no report can overwrite another one still queued.
    void LoadReportPage(const std::string& address);
    static std::string TakeReportAddress(LPARAM lparam);
    // The worker expects a report page before posting it, the window says
    // when its navigation has finished or failed, and the worker may wait for
    // that before the process ends.
    void ExpectReportPage();
    void ReportPageSettled();
    bool WaitForReportPage(DWORD timeout_ms);

    // For tests: the function that posts.
    void SetPostFunction(PostFunction post) { mp_post = post; }

    std::string ms_skin_page_url;
    // Set by the worker before it posts the first page: the panes go to
    // https pages only (a strict build).
    std::atomic<bool> mb_https_pages_only{false};

protected:
    // The window the operations address; null before it exists and after it
    // is gone, when the operations do nothing.
    std::atomic<HWND> mh_window{nullptr};

private:
    struct PostedPosition {
        int position;
        DWORD tick;
    };
    struct PostedRange {
        HWND bar;
        int maximum;
    };
    struct ShownText {
        HWND line;
        WideText text;
    };

    HWND Control(int control_id) const;

    PostFunction mp_post;
    KernelHandle mh_report_settled;
    std::map<int, PostedPosition> m_posted_positions;
    // The bar is kept with its range: another window's bar has its own.
    std::map<int, PostedRange> m_posted_ranges;
    // The line's window is kept with its text: another window's line has its own.
    std::map<int, ShownText> m_shown_texts;
};

// The installer window, as the worker reaches it.
extern WindowChannel* g_dialog;
