// Ends a transfer that trickles. A read of 1 KiB blocks until its buffer is
// full, so the read loop itself never sees a server that sends a few bytes
// now and then; this watchdog, a timer checking once a window on a thread of
// the process's timer queue, closes the request handle when less than 1 KiB
// arrived in a whole window, which makes the blocked read return with a
// failure.
#pragma once

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
    // True once the watchdog has closed the request, which makes a blocked
    // read fail with an error that only says so.
    bool Closed() const { return mb_closed; }

private:
    static void CALLBACK CheckWindow(void* watchdog, BOOLEAN timer_fired);
    void Check();

    HINTERNET mh_request;
    HANDLE mh_timer = nullptr;
    std::atomic<long long> mn_received{0};
    std::atomic<long long> mn_window_start{0};
    std::atomic<bool> mb_closed{false};
};
