// One HTTP GET over WinInet, delivered block by block to a DownloaderListener:
// plain HTTP on port 80, or, when asked, HTTPS on port 443 with WinInet's own
// certificate checks.
#pragma once

#include "base/unique_handle.h"
#include "net/receive_watchdog.h"
#include "net/response_head.h"
#include "net/transfer_error.h"
#include "net/wininet_api.h"

#include <atomic>
#include <string>

class DownloaderListener;
struct ProxyCredentials;

struct InternetHandleTraits {
    using Handle = HINTERNET;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle handle) { WinInet().InternetCloseHandle(handle); }
};
using InternetHandle = UniqueHandle<InternetHandleTraits>;

class FileDownloader {
public:
    // Connect, send and receive time-out of every transfer, and the window
    // in which at least 1 KiB of the body must arrive. Real servers may take
    // 40 s to start answering; only prolonged silence or a trickle must fail.
    static const DWORD kTimeoutMs = 60000;

    // Opens the session and the connection to `host` (not interpreted: no
    // scheme or port is split off), over TLS when `secure`. Failures are
    // printed and surface at Start.
    FileDownloader(DownloaderListener* listener, const std::string& host, bool secure = false);
    virtual ~FileDownloader();
    FileDownloader(const FileDownloader&) = delete;
    FileDownloader& operator=(const FileDownloader&) = delete;

    // Opens and sends the GET request for `path`, closing any previous request;
    // with `range`, only the bytes from its offset on, if the file is still
    // the one its validator names. True when it was sent and answered with a
    // 2xx status.
    bool OpenConnection(const std::string& path, const RangeRequest* range = nullptr);
    // The head of the answer just received (status 0 when none came).
    const ResponseHead& Head() const { return m_head; }
    bool QueryInfo(DWORD info_level, void* buffer, DWORD* buffer_length);
    // The Content-Length of the response just received, or -1 when it gives
    // none or no response came.
    long long GetContentLength() const;
    // Runs the receive loop here (blocking) or on a new detached thread.
    void Start(bool blocking);
    // Makes the receive loop end with OnCanceled before its next read; safe
    // from any thread.
    void Cancel();
    // Whether a proxy's 407 may show the system's prompt (owned by the
    // installer window): only the run's own transfers may; others fail on it.
    void SetMayPrompt(bool may_prompt) { mb_may_prompt = may_prompt; }
    // Raises WinInet's process-wide limit of connections per server to
    // `count`, for HTTP/1.1 and HTTP/1.0 servers alike.
    static void AllowConnectionsPerServer(DWORD count);
    // Lowers the time-outs and the trickle window of this downloader, for
    // tests; applies to the session now and to every later request and
    // transfer.
    void SetTimeout(DWORD timeout_ms);
    // The body's length when the answer gives no Content-Length (a length
    // the manifest declares): it sets the attempt's deadline.
    void SetExpectedLength(long long bytes) { mn_declared_length = bytes; }
    // Raises the least average rate of a body, for tests: a crawl then
    // meets its deadline within a test's time.
    void SetLeastAverageRate(long long bytes_per_second) { mn_least_rate = bytes_per_second; }

private:
    static unsigned __stdcall ReceiveLoopThread(void* downloader);
    void ReceiveLoop();
    // Reads until the body ends; no error, or the one that ended it.
    TransferError ReadBody(ReceiveWatchdog& watchdog, bool& canceled);
    TransferError FailRead(const char* call, const ReceiveWatchdog& watchdog);
    // What an empty read means after `received` bytes of the body.
    TransferError EndOfBody(long long received);
    void ApplyTimeouts(HINTERNET handle) const;
    // The HTTP status and Content-Length of the response just sent.
    bool CheckResponse();
    // Asks WinInet for the response's Content-Length; -1 when it has none.
    long long ReadContentLength();
    // The text of one header of the response; empty when it has none.
    std::string ReadHeader(DWORD info_level);
    static std::string RangeHeaders(const RangeRequest& range);
    // False when a secure request's answer came from an address that is not
    // https (a redirect that Wine's WinInet follows silently).
    bool StayedSecure();
    // Records the last error and logs `line`, then the failed `call`.
    void FailRequest(const char* line, const char* call);
    // Opens the request for `path`, with the run's proxy credentials when
    // known, and sends it with `headers`.
    bool OpenAndSend(const std::string& path, const std::string& headers);
    bool Send(const std::string& headers);
    // The status of the answer just received; 0 when none came.
    DWORD Status();
    void SetProxyCredentials(const ProxyCredentials& credentials);
    std::string QueryTextOption(DWORD option);
    bool PromptForProxyCredentials(ProxyCredentials& credentials);
    // True when the system's settings may send requests through a proxy.
    bool ProxyMayAsk();
    // After a 407: asks the user once per run and sends a new request;
    // false only when that fails.
    bool AnswerProxy(const std::string& path, const std::string& headers);
    // The scheme, host and `path` of a request, as the log names it.
    std::string AddressOf(const std::string& path) const;

    DownloaderListener* mp_listener;
    bool mb_secure;
    bool mb_may_prompt = true;
    InternetHandle mh_internet_session;
    InternetHandle mh_http_connection;
    InternetHandle mh_http_file;
    std::atomic<bool> mb_canceled{false};
    DWORD mn_timeout_ms = kTimeoutMs;
    // ProxyMayAsk's answer once known: -1 before, else 0 or 1.
    int mn_proxy_may_ask = -1;
    // The request's address, or the host's before any request: what the
    // failure lines name.
    std::string ms_address;
    // Why the request cannot be read; none once a request was sent and
    // answered with 2xx.
    TransferError m_request_error = TransferError::Platform(ERROR_INVALID_HANDLE);
    // The Content-Length of the response, read once as it arrives, or -1
    // when it has none.
    long long mn_expected_length = -1;
    long long mn_declared_length = -1;
    long long mn_least_rate = ReceiveWatchdog::kLeastAverageBytesPerSecond;
    ResponseHead m_head;
};
