#include "net/transfer_error.h"

#include "base/failure_log.h"

namespace {

const char* OwnReasonText(long reason)
{
    switch (reason) {
    case TransferError::kListenerRefused: return "the receiver refused a block";
    case TransferError::kBodyCutShort: return "the body ended before its Content-Length";
    case TransferError::kProxyAuthRequired: return "HTTP status 407, the proxy asks for a user name and password";
    default: return "unknown reason";
    }
}

} // namespace

std::string TransferError::Describe() const
{
    switch (kind) {
    case Kind::kNone:
        return "no error";
    case Kind::kPlatform: {
        const std::string message = SystemMessage(static_cast<DWORD>(code));
        return std::to_string(code) + (message.empty() ? "" : " " + message);
    }
    case Kind::kHttpStatus:
        return "HTTP status " + std::to_string(code);
    case Kind::kOwn:
        return OwnReasonText(code);
    }
    return std::string();
}
