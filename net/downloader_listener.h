// Receives the events of one transfer: zero or more blocks, then exactly one of
// OnFinished, OnCanceled or OnError, all on the thread that runs the transfer.
#pragma once

#include "net/transfer_error.h"

#include <string>

class DownloaderListener {
public:
    virtual ~DownloaderListener() {}
    // One block of 1 to 65536 bytes (zero bytes kept). False aborts the transfer.
    virtual bool OnRecv(const std::string& block) = 0;
    virtual void OnFinished() = 0;
    virtual void OnCanceled() {}
    // What ended the transfer: the platform's error of the failed step, the
    // HTTP status of a response that was not 2xx, or one of the
    // downloader's own reasons. The downloader has logged it already.
    virtual void OnError(const TransferError& error) = 0;
};
