// Ends a transfer that trickles. A read of 1 KiB blocks until its buffer is
// full, so the read loop itself never sees a server that sends a few bytes
// now and then; this watchdog, a timer checking once a window on a thread of
// the process's timer queue, closes the request handle when less than 1 KiB
// arrived in a whole window, which makes the blocked read return with a
// failure. It also closes it at the attempt's deadline: a body that keeps
// each window alive may still crawl for days, so the whole body must arrive
// at an average rate, after a grace for a slow start.
#pragma once

#include "net/wininet_api.h"

#include <atomic>

class ReceiveWatchdog {
public:
    static const long long kLeastBytesPerWindow = 1024;
    // 2 KiB/s, 16 kbit/s: a slow line passes it with room to spare (a dial-up
    // modem gives about 5 KiB/s, mobile GPRS 4 to 5), and a 100 MB file must
    // arrive within 14 hours instead of the 68 days the window allows.
    static const long long kLeastAverageBytesPerSecond = 2048;

    // The longest an attempt of `bytes` may take: `grace_ms`, then the bytes
    // at `bytes_per_second`; INFINITE for an unknown length (-1).
    static DWORD Deadline(long long bytes, DWORD grace_ms, long long bytes_per_second);

    // Starts watching `request`, which stays owned by the caller unless the
    // watchdog closes it, until `deadline_ms` (INFINITE for none).
    ReceiveWatchdog(HINTERNET request, DWORD window_ms, DWORD deadline_ms);
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
    // True when it closed the request at the deadline.
    bool Expired() const { return mb_expired; }

private:
    static void CALLBACK CheckWindow(void* watchdog, BOOLEAN timer_fired);
    static void CALLBACK Expire(void* watchdog, BOOLEAN timer_fired);
    void Check();
    void Close();
    static void DeleteTimer(HANDLE& timer);

    HINTERNET mh_request;
    HANDLE mh_timer = nullptr;
    HANDLE mh_deadline = nullptr;
    std::atomic<long long> mn_received{0};
    std::atomic<long long> mn_window_start{0};
    std::atomic<bool> mb_closed{false};
    std::atomic<bool> mb_expired{false};
};
