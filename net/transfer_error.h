// Why a transfer failed, with its kind, so that an HTTP status is never read
// as a platform error of the same number: a Win32 or WinInet error code, an
// HTTP status that is not 2xx, or one of the downloader's own reasons.
#pragma once

#include <windows.h>

#include <string>

struct TransferError {
    enum class Kind {
        kNone,
        kPlatform,   // code: a Win32 or WinInet error
        kHttpStatus, // code: the status, e.g. 404
        kOwn,        // code: one of the reasons below
    };
    enum OwnReason {
        kListenerRefused = 1, // the listener's OnRecv answered false
        kBodyCutShort,        // the body ended before its Content-Length
        kProxyAuthRequired,   // the proxy wants credentials nobody gave
    };

    static TransferError None() { return TransferError{Kind::kNone, 0}; }
    static TransferError Platform(DWORD code) { return TransferError{Kind::kPlatform, static_cast<long>(code)}; }
    static TransferError HttpStatus(DWORD status) { return TransferError{Kind::kHttpStatus, static_cast<long>(status)}; }
    static TransferError Own(OwnReason reason) { return TransferError{Kind::kOwn, reason}; }

    bool Failed() const { return kind != Kind::kNone; }
    bool Is(Kind other, long other_code) const { return kind == other && code == other_code; }
    // "12029 <system text>", "HTTP status 404", or our reason in words.
    std::string Describe() const;

    Kind kind;
    long code;
};
