// HttpSendRequestA with a bound on how long it may take. WinInet reads the
// answer's head inside the call, and its time-outs apply to each read, so a
// server that sends a byte of its head now and then would keep the call
// going for ever. The call runs on a thread of the process's pool; when it
// does not return within the bound, the request is closed, which aborts it
// on Windows, and the caller goes on whether or not the call has returned
// (Wine ends it only once the server stops).
#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

enum class SendOutcome { kSent, kFailed, kTimedOut };

// kFailed leaves the call's error as the thread's last error; kTimedOut
// leaves `request` closed.
SendOutcome SendWithin(HINTERNET request, const std::string& headers, DWORD bound_ms);
