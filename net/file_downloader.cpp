#include "net/file_downloader.h"

#include "base/diagnostics.h"
#include "base/failure_log.h"
#include "base/owner_window.h"
#include "install/worker_thread.h"
#include "net/bounded_send.h"
#include "net/downloader_listener.h"
#include "net/proxy_credentials.h"
#include "net/receive_watchdog.h"
#include "services/text.h"

#include <algorithm>
#include <vector>

namespace {

const char kAgent[] = "Downloader1.1";
// Always from the server, never stored in the cache, keep-alive.
const DWORD kRequestFlags =
    INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_KEEP_CONNECTION;
// A read asks only for what has arrived, up to this; small reads cost a
// call each (1 KiB reads move about 10 MB/s under Wine, 64 KiB ones
// 250 MB/s and more).
const DWORD kReadSize = 64 * 1024;
const DWORD kProxyAuthenticationRequired = 407;

// The last error of a failed call, never 0, so that a failure is never
// mistaken for "no failure".
DWORD LastErrorCode()
{
    const DWORD error = GetLastError();
    return error != 0 ? error : ERROR_INTERNET_INTERNAL_ERROR;
}

} // namespace

FileDownloader::FileDownloader(DownloaderListener* listener, const std::string& host, bool secure)
    : mp_listener(listener), mb_secure(secure), ms_address((secure ? "https://" : "http://") + host)
{
    const WinInetApi& wininet = WinInet();
    if (!wininet.Loaded()) {
        m_request_error = TransferError::Platform(ERROR_MOD_NOT_FOUND);
        Diagnostic("Error in OpenConnection - mh_internet_session == NULL\n");
        return;
    }
    mh_internet_session.Reset(wininet.InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!mh_internet_session) {
        FailRequest("Error in OpenConnection - mh_internet_session == NULL", "InternetOpenA");
        return;
    }
    ApplyTimeouts(mh_internet_session.Get());

    const INTERNET_PORT port = mb_secure ? INTERNET_DEFAULT_HTTPS_PORT : INTERNET_DEFAULT_HTTP_PORT;
    mh_http_connection.Reset(wininet.InternetConnectA(mh_internet_session.Get(), host.c_str(), port, nullptr,
                                                      nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!mh_http_connection)
        FailRequest("Error in OpenConnection - mh_http_connection == NULL", "InternetConnectA");
}

FileDownloader::~FileDownloader() = default;

// Windows' WinInet opens at most 2 connections to an HTTP/1.1 server (4 to
// an HTTP/1.0 one) unless told otherwise; further requests wait for one.
void FileDownloader::AllowConnectionsPerServer(DWORD count)
{
    const WinInetApi& wininet = WinInet();
    if (!wininet.Loaded())
        return;
    for (DWORD option : {INTERNET_OPTION_MAX_CONNS_PER_SERVER, INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER})
        if (!wininet.InternetSetOptionA(nullptr, option, &count, sizeof count))
            LogFailure("InternetSetOptionA", "connections per server", LastErrorCode());
}

void FileDownloader::SetTimeout(DWORD timeout_ms)
{
    mn_timeout_ms = timeout_ms;
    if (mh_internet_session)
        ApplyTimeouts(mh_internet_session.Get());
}

// A receive time-out set only on the session is ignored by reads under Wine,
// so every request gets its own as well.
void FileDownloader::ApplyTimeouts(HINTERNET handle) const
{
    DWORD timeout = mn_timeout_ms;
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                         INTERNET_OPTION_RECEIVE_TIMEOUT})
        WinInet().InternetSetOptionA(handle, option, &timeout, sizeof timeout);
}

// The design's own line, then the call that failed with its code.
// Certificate failures have codes of their own (12045 an untrusted
// authority, 12038 a wrong name, 12037 an expired certificate).
void FileDownloader::FailRequest(const char* line, const char* call)
{
    const DWORD error = LastErrorCode();
    m_request_error = TransferError::Platform(error);
    Diagnostic("%s\n", line);
    LogFailure(call, ms_address, error);
}

bool FileDownloader::OpenConnection(const std::string& path, const RangeRequest* range)
{
    mb_canceled = false;
    mh_http_file.Reset();
    mn_expected_length = -1;
    m_head = ResponseHead();
    ms_address = AddressOf(path);
    if (!mh_http_connection) {
        // Keeps the error of the session or connection that failed, which
        // was logged when it happened.
        Diagnostic("Error in OpenConnection - mh_http_file == NULL\n");
        return false;
    }

    const std::string headers = range ? RangeHeaders(*range) : std::string();
    if (!OpenAndSend(path, headers) || !AnswerProxy(path, headers))
        return false;
    return StayedSecure() && CheckResponse();
}

bool FileDownloader::OpenAndSend(const std::string& path, const std::string& headers)
{
    const char* accepted_types[] = {"*/*", nullptr};
    // WinInet checks the certificate of a secure request itself; no flag
    // that relaxes those checks is ever set.
    const DWORD flags = mb_secure ? kRequestFlags | INTERNET_FLAG_SECURE : kRequestFlags;
    mh_http_file.Reset(WinInet().HttpOpenRequestA(mh_http_connection.Get(), nullptr, path.c_str(), nullptr,
                                                  nullptr, accepted_types, flags, 0));
    if (!mh_http_file) {
        FailRequest("Error in OpenConnection - mh_http_file == NULL", "HttpOpenRequestA");
        return false;
    }
    ApplyTimeouts(mh_http_file.Get());
    const ProxyCredentials credentials = RunProxyCredentials();
    if (credentials.Known())
        SetProxyCredentials(credentials);
    return Send(headers);
}

// The head must arrive within one window of the time-out, as every later
// window must bring 1 KiB of the body.
bool FileDownloader::Send(const std::string& headers)
{
    switch (SendWithin(mh_http_file.Get(), headers, mn_timeout_ms)) {
    case SendOutcome::kSent:
        return true;
    case SendOutcome::kFailed:
        FailRequest("Error in OpenConnection - bSend == false", "HttpSendRequestA");
        return false;
    case SendOutcome::kTimedOut:
        break;
    }
    // The request is closed already.
    mh_http_file.Release();
    m_request_error = TransferError::Platform(ERROR_INTERNET_TIMEOUT);
    Diagnostic("Error in OpenConnection - bSend == false\n");
    LogFailure("HttpSendRequestA", ms_address, ERROR_INTERNET_TIMEOUT);
    return false;
}

DWORD FileDownloader::Status()
{
    DWORD status = 0;
    DWORD size = sizeof status;
    return QueryInfo(HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size) ? status : 0;
}

// A request without them meets the proxy's 407 again, which says why; the
// failure is logged here.
void FileDownloader::SetProxyCredentials(const ProxyCredentials& credentials)
{
    const struct {
        DWORD option;
        const std::string& text;
    } values[] = {{INTERNET_OPTION_PROXY_USERNAME, credentials.user},
                  {INTERNET_OPTION_PROXY_PASSWORD, credentials.password}};
    for (const auto& value : values)
        if (!WinInet().InternetSetOptionA(mh_http_file.Get(), value.option, const_cast<char*>(value.text.c_str()),
                                          static_cast<DWORD>(value.text.size())))
            LogFailure("InternetSetOptionA", ms_address + " (proxy credentials)", LastErrorCode());
}

std::string FileDownloader::QueryTextOption(DWORD option)
{
    DWORD length = 0;
    WinInet().InternetQueryOptionA(mh_http_file.Get(), option, nullptr, &length);
    std::string text(length, '\0');
    if (length == 0 || !WinInet().InternetQueryOptionA(mh_http_file.Get(), option, &text[0], &length))
        return std::string();
    text.resize(std::min<size_t>(length, text.find('\0')));
    return text;
}

// The system's own prompt, owned by the installer window; the user's answer
// is set on the request by the prompt itself, and kept for the run.
bool FileDownloader::PromptForProxyCredentials(ProxyCredentials& credentials)
{
    credentials.asked = true;
    const DWORD answer = WinInet().InternetErrorDlg(
        g_dialog_window, mh_http_file.Get(), ERROR_INTERNET_INCORRECT_PASSWORD,
        FLAGS_ERROR_UI_FILTER_FOR_ERRORS | FLAGS_ERROR_UI_FLAGS_GENERATE_DATA | FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS,
        nullptr);
    if (answer != ERROR_INTERNET_FORCE_RETRY) {
        Diagnostic("Proxy credentials not given (InternetErrorDlg answered %lu)\n", answer);
        return false;
    }
    credentials.user = QueryTextOption(INTERNET_OPTION_PROXY_USERNAME);
    credentials.password = QueryTextOption(INTERNET_OPTION_PROXY_PASSWORD);
    return true;
}

// Only a proxy asks for proxy credentials: when the system's settings name
// no proxy, no automatic configuration and no detection, a 407 is the
// server's own answer, and no prompt is shown for it (Wine's prompt reads
// the proxy's name without looking, and fails on a session without one).
bool FileDownloader::ProxyMayAsk()
{
    if (mn_proxy_may_ask < 0) {
        INTERNET_PER_CONN_OPTIONA flags = {};
        flags.dwOption = INTERNET_PER_CONN_FLAGS;
        INTERNET_PER_CONN_OPTION_LISTA list = {};
        list.dwSize = sizeof list;
        list.dwOptionCount = 1;
        list.pOptions = &flags;
        DWORD size = sizeof list;
        const DWORD proxy_types = PROXY_TYPE_PROXY | PROXY_TYPE_AUTO_PROXY_URL | PROXY_TYPE_AUTO_DETECT;
        if (WinInet().InternetQueryOptionA(nullptr, INTERNET_OPTION_PER_CONNECTION_OPTION, &list, &size)) {
            mn_proxy_may_ask = (flags.Value.dwValue & proxy_types) != 0;
        } else {
            // Unknown settings: the answer is taken for a proxy's.
            LogFailure("InternetQueryOptionA", "the system's proxy settings", LastErrorCode());
            mn_proxy_may_ask = 1;
        }
    }
    return mn_proxy_may_ask != 0;
}

// A proxy's 407 is not the file's failure: with the run's credentials, or
// the user's answer to the prompt (asked once per run), a new request goes.
// The answered one is closed unread: its page may never end. A downloader
// that may not prompt leaves the 407 to fail its transfer.
bool FileDownloader::AnswerProxy(const std::string& path, const std::string& headers)
{
    ProxyCredentials credentials = RunProxyCredentials();
    if (!mb_may_prompt || Status() != kProxyAuthenticationRequired || credentials.asked || !ProxyMayAsk())
        return true;
    const bool given = PromptForProxyCredentials(credentials);
    KeepRunProxyCredentials(credentials);
    return !given || OpenAndSend(path, headers);
}

// Windows fails a redirect from https to http itself (12040); Wine's WinInet
// follows it. The address of the answer tells on both.
bool FileDownloader::StayedSecure()
{
    if (!mb_secure)
        return true;
    const WinInetApi& wininet = WinInet();
    DWORD length = 0;
    wininet.InternetQueryOptionA(mh_http_file.Get(), INTERNET_OPTION_URL, nullptr, &length);
    std::string address(length, '\0');
    if (length == 0 || !wininet.InternetQueryOptionA(mh_http_file.Get(), INTERNET_OPTION_URL, &address[0], &length)) {
        FailRequest("Error in OpenConnection - no address of the answer", "InternetQueryOptionA");
        return false;
    }
    address.resize(std::min<size_t>(length, address.find('\0')));
    if (address.compare(0, 8, "https://") == 0)
        return true;
    m_request_error = TransferError::Platform(ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR);
    Diagnostic("Error in OpenConnection - redirected from https to %s\n", address.c_str());
    LogFailure("HttpSendRequestA", ms_address, ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR);
    return false;
}

// An error page must never be delivered as a file, and a short body must be
// recognisable as such: both need the response's head.
bool FileDownloader::CheckResponse()
{
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!QueryInfo(HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size)) {
        FailRequest("Error in OpenConnection - no HTTP status", "HttpQueryInfoA");
        return false;
    }
    mn_expected_length = ReadContentLength();
    if (status == kProxyAuthenticationRequired && ProxyMayAsk()) {
        m_request_error = TransferError::Own(TransferError::kProxyAuthRequired);
        Diagnostic("Error in OpenConnection - HTTP status %lu\n", status);
        LogFailureText("HttpSendRequestA", ms_address, m_request_error.Describe());
        return false;
    }
    m_head.status = status;
    m_head.content_length = mn_expected_length;
    m_head.content_range = ReadHeader(HTTP_QUERY_CONTENT_RANGE);
    m_head.etag = ReadHeader(HTTP_QUERY_ETAG);
    m_head.last_modified = ReadHeader(HTTP_QUERY_LAST_MODIFIED);
    if (status < 200 || status > 299) {
        m_request_error = TransferError::HttpStatus(status);
        Diagnostic("Error in OpenConnection - HTTP status %lu\n", status);
        LogFailureText("HttpSendRequestA", ms_address, m_request_error.Describe());
        return false;
    }
    m_request_error = TransferError::None();
    return true;
}

std::string FileDownloader::AddressOf(const std::string& path) const
{
    const std::string::size_type end_of_host = ms_address.find('/', ms_address.find("://") + 3);
    const std::string origin = ms_address.substr(0, end_of_host);
    return origin + (path.compare(0, 1, "/") == 0 ? "" : "/") + path;
}

bool FileDownloader::QueryInfo(DWORD info_level, void* buffer, DWORD* buffer_length)
{
    return mh_http_file
        && WinInet().HttpQueryInfoA(mh_http_file.Get(), info_level, buffer, buffer_length, nullptr) != FALSE;
}

long long FileDownloader::GetContentLength() const { return mn_expected_length; }

std::string FileDownloader::ReadHeader(DWORD info_level)
{
    // The first query only tells the size the text needs; a header the
    // answer lacks is the empty text.
    DWORD length = 0;
    if (QueryInfo(info_level, nullptr, &length) || GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return std::string();
    std::string text(length, '\0');
    if (!QueryInfo(info_level, &text[0], &length))
        return std::string();
    text.resize(std::min<size_t>(length, text.find('\0')));
    return text;
}

long long FileDownloader::ReadContentLength()
{
    const std::string text = ReadHeader(HTTP_QUERY_CONTENT_LENGTH);
    // Bodies above 2 GiB exist: an int would turn their length negative.
    return text.empty() ? -1 : LeadingNumber(text);
}

// The validator comes from an earlier answer or the resume file; a line
// break in it would add headers of its own, so such a validator asks for
// the whole file instead.
std::string FileDownloader::RangeHeaders(const RangeRequest& range)
{
    if (range.from <= 0 || range.validator.empty()
        || range.validator.find_first_of("\r\n") != std::string::npos)
        return std::string();
    return "Range: bytes=" + std::to_string(range.from) + "-\r\nIf-Range: " + range.validator + "\r\n";
}

void FileDownloader::Cancel() { mb_canceled = true; }

void FileDownloader::Start(bool blocking)
{
    if (blocking)
        ReceiveLoop();
    else
        BeginThread(ReceiveLoopThread, this);
}

// Wine ends a body cut short with a successful empty read.
TransferError FileDownloader::EndOfBody(long long received)
{
    if (mn_expected_length < 0 || received >= mn_expected_length)
        return TransferError::None();
    const TransferError cut = TransferError::Own(TransferError::kBodyCutShort);
    LogFailureText("InternetReadFile", ms_address,
                   cut.Describe() + " (" + std::to_string(received) + " of " + std::to_string(mn_expected_length)
                       + " bytes)");
    return cut;
}

unsigned __stdcall FileDownloader::ReceiveLoopThread(void* downloader)
{
    static_cast<FileDownloader*>(downloader)->ReceiveLoop();
    return 0;
}

void FileDownloader::ReceiveLoop()
{
    TransferError error = m_request_error;
    bool canceled = false;
    if (!error.Failed()) {
        const long long length = mn_expected_length >= 0 ? mn_expected_length : mn_declared_length;
        const DWORD deadline_ms = ReceiveWatchdog::Deadline(length, mn_timeout_ms, mn_least_rate);
        ReceiveWatchdog watchdog(mh_http_file.Get(), mn_timeout_ms, deadline_ms);
        error = ReadBody(watchdog, canceled);
        if (watchdog.Stop()) {
            // Whatever the interrupted read said, the transfer timed out,
            // and the request handle is closed already.
            mh_http_file.Release();
            canceled = false;
            error = TransferError::Platform(ERROR_INTERNET_TIMEOUT);
            if (watchdog.Expired())
                LogFailureText("InternetReadFile", ms_address,
                               "the body did not arrive within its deadline of " + std::to_string(deadline_ms / 1000)
                                   + " s");
            else
                LogFailure("InternetReadFile", ms_address, ERROR_INTERNET_TIMEOUT);
        }
    }
    if (canceled)
        mp_listener->OnCanceled();
    else if (error.Failed())
        mp_listener->OnError(error);
    else
        mp_listener->OnFinished();
}

// Logged here, as the design's lines of the request are; a timed-out read's
// error is replaced by the time-out, which the caller logs.
TransferError FileDownloader::FailRead(const char* call, const ReceiveWatchdog& watchdog)
{
    const DWORD error = LastErrorCode();
    if (!watchdog.Closed())
        LogFailure(call, ms_address, error);
    return TransferError::Platform(error);
}

TransferError FileDownloader::ReadBody(ReceiveWatchdog& watchdog, bool& canceled)
{
    std::vector<char> buffer(kReadSize);
    std::string block;
    long long received = 0;
    for (;;) {
        if (mb_canceled) {
            canceled = true;
            return TransferError::None();
        }
        // Asks only for what has arrived. Wine does not end a read that waits
        // for a full buffer when the watchdog closes its handle; a call that
        // waits for the next arrival returns, and the next call on the closed
        // handle fails.
        DWORD available = 0;
        if (!WinInet().InternetQueryDataAvailable(mh_http_file.Get(), &available, 0, 0))
            return FailRead("InternetQueryDataAvailable", watchdog);
        const DWORD wanted = available == 0 || available > kReadSize ? kReadSize : available;
        DWORD read = 0;
        if (!WinInet().InternetReadFile(mh_http_file.Get(), buffer.data(), wanted, &read))
            return FailRead("InternetReadFile", watchdog);
        if (read == 0)
            return EndOfBody(received);
        received += read;
        watchdog.Count(read);
        block.assign(buffer.data(), read);
        // The listener has said why it refused.
        if (!mp_listener->OnRecv(block))
            return TransferError::Own(TransferError::kListenerRefused);
    }
}
