// Receives the events of one transfer: zero or more blocks, then exactly one of
// OnFinished, OnCanceled or OnError, all on the thread that runs the transfer.
#pragma once

#include <string>

class DownloaderListener {
public:
    // Error codes of our own, beside the platform's (which are all positive).
    enum {
        kErrorListenerRefused = -1, // OnRecv returned false
        kErrorBodyCutShort = -2,    // the body ended before its Content-Length
    };

    virtual ~DownloaderListener() {}
    // One block of 1 to 1024 bytes (zero bytes kept). False aborts the transfer.
    virtual bool OnRecv(const std::string& block) = 0;
    virtual void OnFinished() = 0;
    virtual void OnCanceled() {}
    // The platform's error code of the failed step, the HTTP status of a
    // response that was not 2xx, or one of the codes above.
    virtual void OnError(int error) = 0;
};
