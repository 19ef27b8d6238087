#include "net/bounded_send.h"

#include "base/failure_log.h"
#include "base/unique_handle.h"
#include "net/wininet_api.h"

namespace {

// What the caller and the pool's thread share; the last one of the two to
// let go of it deletes it, since the caller may give up first.
struct SendCall {
    enum State : LONG { kQueued, kRunning, kAbandoned };

    HINTERNET request;
    std::string headers;
    KernelHandle done{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    BOOL sent = FALSE;
    DWORD error = 0;
    LONG holders = 2;
    // A call the caller gave up on before the pool ran it never runs: its
    // request is closed by then.
    LONG state = kQueued;

    void Release()
    {
        if (InterlockedDecrement(&holders) == 0)
            delete this;
    }
};

BOOL Send(HINTERNET request, const std::string& headers)
{
    return WinInet().HttpSendRequestA(request, headers.empty() ? nullptr : headers.c_str(),
                                      static_cast<DWORD>(headers.size()), nullptr, 0);
}

DWORD WINAPI RunSend(void* argument)
{
    SendCall& call = *static_cast<SendCall*>(argument);
    if (InterlockedCompareExchange(&call.state, SendCall::kRunning, SendCall::kQueued) == SendCall::kQueued) {
        call.sent = Send(call.request, call.headers);
        call.error = call.sent ? 0 : GetLastError();
        SetEvent(call.done.Get());
    }
    call.Release();
    return 0;
}

} // namespace

SendOutcome SendWithin(HINTERNET request, const std::string& headers, DWORD bound_ms)
{
    SendCall* call = new SendCall{request, headers};
    if (!call->done || !QueueUserWorkItem(RunSend, call, WT_EXECUTEDEFAULT)) {
        // No thread to be had: the call runs here, unbounded as before.
        LogFailure(call->done ? "QueueUserWorkItem" : "CreateEventA", "bounded send", GetLastError());
        delete call;
        return Send(request, headers) ? SendOutcome::kSent : SendOutcome::kFailed;
    }
    if (WaitForSingleObject(call->done.Get(), bound_ms) != WAIT_OBJECT_0) {
        InterlockedCompareExchange(&call->state, SendCall::kAbandoned, SendCall::kQueued);
        WinInet().InternetCloseHandle(request);
        call->Release();
        return SendOutcome::kTimedOut;
    }
    const SendOutcome outcome = call->sent ? SendOutcome::kSent : SendOutcome::kFailed;
    SetLastError(call->error);
    call->Release();
    return outcome;
}
