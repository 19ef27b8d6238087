#include "net/receive_watchdog.h"

#include "base/failure_log.h"

DWORD ReceiveWatchdog::Deadline(long long bytes, DWORD grace_ms, long long bytes_per_second)
{
    if (bytes < 0 || bytes_per_second <= 0)
        return INFINITE;
    // Below INFINITE, which would mean no deadline: about 49 days.
    const long long longest = INFINITE - 1;
    const long long seconds = bytes / bytes_per_second + 1;
    if (seconds >= longest / 1000)
        return static_cast<DWORD>(longest);
    const long long deadline = grace_ms + seconds * 1000;
    return static_cast<DWORD>(deadline < longest ? deadline : longest);
}

ReceiveWatchdog::ReceiveWatchdog(HINTERNET request, DWORD window_ms, DWORD deadline_ms) : mh_request(request)
{
    // Timers of the process's shared queue: no thread is started per
    // transfer, which would cost more than a small file's whole transfer.
    if (!CreateTimerQueueTimer(&mh_timer, nullptr, CheckWindow, this, window_ms, window_ms,
                               WT_EXECUTEDEFAULT)) {
        LogFailure("CreateTimerQueueTimer", "receive watchdog", GetLastError());
        mh_timer = nullptr;
    }
    if (deadline_ms != INFINITE
        && !CreateTimerQueueTimer(&mh_deadline, nullptr, Expire, this, deadline_ms, 0, WT_EXECUTEONLYONCE)) {
        LogFailure("CreateTimerQueueTimer", "attempt deadline", GetLastError());
        mh_deadline = nullptr;
    }
}

ReceiveWatchdog::~ReceiveWatchdog() { Stop(); }

void ReceiveWatchdog::DeleteTimer(HANDLE& timer)
{
    if (timer) {
        // Waits for a check that is running to finish.
        DeleteTimerQueueTimer(nullptr, timer, INVALID_HANDLE_VALUE);
        timer = nullptr;
    }
}

bool ReceiveWatchdog::Stop()
{
    DeleteTimer(mh_timer);
    DeleteTimer(mh_deadline);
    return mb_closed;
}

void CALLBACK ReceiveWatchdog::CheckWindow(void* watchdog, BOOLEAN)
{
    static_cast<ReceiveWatchdog*>(watchdog)->Check();
}

void CALLBACK ReceiveWatchdog::Expire(void* watchdog, BOOLEAN)
{
    ReceiveWatchdog* self = static_cast<ReceiveWatchdog*>(watchdog);
    self->mb_expired = true;
    self->Close();
}

void ReceiveWatchdog::Check()
{
    const long long received = mn_received;
    const long long window_start = mn_window_start.exchange(received);
    if (received - window_start < kLeastBytesPerWindow)
        Close();
}

// Closing the handle is how WinInet aborts a call that blocks on it in
// another thread. Both timers may come at once: the handle is closed once.
void ReceiveWatchdog::Close()
{
    if (!mb_closed.exchange(true))
        WinInet().InternetCloseHandle(mh_request);
}
