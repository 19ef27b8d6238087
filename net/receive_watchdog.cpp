#include "net/receive_watchdog.h"

#include "base/failure_log.h"

ReceiveWatchdog::ReceiveWatchdog(HINTERNET request, DWORD window_ms) : mh_request(request)
{
    // A timer of the process's shared queue: no thread is started per
    // transfer, which would cost more than a small file's whole transfer.
    if (!CreateTimerQueueTimer(&mh_timer, nullptr, CheckWindow, this, window_ms, window_ms,
                               WT_EXECUTEDEFAULT)) {
        LogFailure("CreateTimerQueueTimer", "receive watchdog", GetLastError());
        mh_timer = nullptr;
    }
}

ReceiveWatchdog::~ReceiveWatchdog() { Stop(); }

bool ReceiveWatchdog::Stop()
{
    if (mh_timer) {
        // Waits for a check that is running to finish.
        DeleteTimerQueueTimer(nullptr, mh_timer, INVALID_HANDLE_VALUE);
        mh_timer = nullptr;
    }
    return mb_closed;
}

void CALLBACK ReceiveWatchdog::CheckWindow(void* watchdog, BOOLEAN)
{
    static_cast<ReceiveWatchdog*>(watchdog)->Check();
}

void ReceiveWatchdog::Check()
{
    const long long received = mn_received;
    const long long window_start = mn_window_start.exchange(received);
    if (mb_closed || received - window_start >= kLeastBytesPerWindow)
        return;
    // Closing the handle is how WinInet aborts a call that blocks on it in
    // another thread.
    mb_closed = true;
    WinInet().InternetCloseHandle(mh_request);
}
