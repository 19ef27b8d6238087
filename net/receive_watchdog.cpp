#include "net/receive_watchdog.h"

ReceiveWatchdog::ReceiveWatchdog(HINTERNET request, DWORD window_ms)
    : mh_request(request), mn_window_ms(window_ms), mh_stop(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    if (mh_stop)
        mh_thread.Reset(CreateThread(nullptr, 0, WatchThread, this, 0, nullptr));
}

ReceiveWatchdog::~ReceiveWatchdog() { Stop(); }

bool ReceiveWatchdog::Stop()
{
    if (mh_thread) {
        SetEvent(mh_stop.Get());
        WaitForSingleObject(mh_thread.Get(), INFINITE);
        mh_thread.Reset();
    }
    return mb_closed;
}

DWORD WINAPI ReceiveWatchdog::WatchThread(void* watchdog)
{
    static_cast<ReceiveWatchdog*>(watchdog)->Watch();
    return 0;
}

void ReceiveWatchdog::Watch()
{
    long long window_start = mn_received;
    while (WaitForSingleObject(mh_stop.Get(), mn_window_ms) == WAIT_TIMEOUT) {
        const long long received = mn_received;
        if (received - window_start < kLeastBytesPerWindow) {
            // Closing the handle is how WinInet aborts a call that blocks on
            // it in another thread.
            mb_closed = true;
            WinInet().InternetCloseHandle(mh_request);
            return;
        }
        window_start = received;
    }
}
