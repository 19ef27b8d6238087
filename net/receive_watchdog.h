// Ends a transfer that trickles. A read of 1 KiB blocks until its buffer is
// full, so the read loop itself never sees a server that sends a few bytes
// now and then; this watchdog, on a thread of its own, closes the request
// handle when less than 1 KiB arrived in a whole window, which makes the
// blocked read return with a failure.
#pragma once

#include "base/unique_handle.h"
#include "net/wininet_api.h"

#include <atomic>

class ReceiveWatchdog {
public:
    static const long long kLeastBytesPerWindow = 1024;

    // Starts watching `request`, which stays owned by the caller unless the
    // watchdog closes it.
    ReceiveWatchdog(HINTERNET request, DWORD window_ms);
    ~ReceiveWatchdog();
    ReceiveWatchdog(const ReceiveWatchdog&) = delete;
    ReceiveWatchdog& operator=(const ReceiveWatchdog&) = delete;

    // Called by the read loop for every block that arrived.
    void Count(DWORD bytes) { mn_received += bytes; }
    // Stops watching; true when the watchdog has closed the request.
    bool Stop();

private:
    static DWORD WINAPI WatchThread(void* watchdog);
    void Watch();

    HINTERNET mh_request;
    DWORD mn_window_ms;
    std::atomic<long long> mn_received{0};
    std::atomic<bool> mb_closed{false};
    KernelHandle mh_stop;
    KernelHandle mh_thread;
};
