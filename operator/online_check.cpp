#include "operator/online_check.h"

#include "install/manifest_rules.h"
#include "install/resource_entry.h"
#include "operator/parse_record.h"
#include "services/text.h"

#include <curl/curl.h>
#include <nettle/sha2.h>

#include <algorithm>
#include <list>
#include <memory>

namespace {

// The installer's own user agent: a server that tells clients apart answers
// the check as it answers players.
const char kAgent[] = "Downloader1.1";
const long kMostRedirects = 10;
const long kStallBytes = 1024;
// A file listed without a size is read up to this length, not for ever.
const std::int64_t kMostUnlistedLength = std::int64_t(1) << 32;
const int kPollMilliseconds = 1000;

struct Listed {
    int line;
    ResourceEntry entry;
};

struct CurlEasyCleanup {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct CurlMultiCleanup {
    void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyCleanup>;
using CurlMulti = std::unique_ptr<CURLM, CurlMultiCleanup>;

struct Transfer {
    size_t host;
    const Listed* listed;
    sha256_ctx hash;
    std::int64_t received = 0;
    std::int64_t most = 0;
    bool too_long = false;
    CurlEasy handle;
};

size_t OnBody(char* data, size_t size, size_t count, void* context)
{
    Transfer& transfer = *static_cast<Transfer*>(context);
    const size_t length = size * count;
    if (static_cast<std::int64_t>(length) > transfer.most - transfer.received) {
        transfer.too_long = true;
        return 0;
    }
    transfer.received += static_cast<std::int64_t>(length);
    sha256_update(&transfer.hash, length, reinterpret_cast<const std::uint8_t*>(data));
    return length;
}

std::string HexDigest(sha256_ctx& context)
{
    std::uint8_t digest[SHA256_DIGEST_SIZE];
    sha256_digest(&context, sizeof digest, digest);
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (std::uint8_t byte : digest) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 0x0F];
    }
    return hex;
}

// The request path as the installer's WinInet sends it (a "/" before a
// path without one), with what a URL cannot carry raw escaped: blanks,
// control bytes, bytes above 0x7F and the few ASCII marks URLs exclude.
// "%", "?" and "#" keep the meaning they have on the installer's wire.
std::string UrlOf(const std::string& scheme, const std::string& host, const std::string& path)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string url = scheme + "://" + host + (path.compare(0, 1, "/") == 0 ? "" : "/");
    for (char c : path) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || std::string("\"<>\\^`{|}").find(c) != std::string::npos) {
            url += '%';
            url += kDigits[byte >> 4];
            url += kDigits[byte & 0x0F];
        } else {
            url += c;
        }
    }
    return url;
}

// What differs about one transfer, or the empty text.
std::string Difference(Transfer& transfer, CURLcode code)
{
    const ResourceEntry& entry = transfer.listed->entry;
    long status = 0;
    curl_easy_getinfo(transfer.handle.get(), CURLINFO_RESPONSE_CODE, &status);
    if (status == 404 || status == 410)
        return "missing: " + entry.path + " (HTTP " + std::to_string(status) + ")";
    if (status >= 400)
        return "not served: " + entry.path + " (HTTP " + std::to_string(status) + ")";
    if (transfer.too_long)
        return "other size: " + entry.path + ": longer than "
            + (entry.size_piece == SizePiece::kBytes ? "the " + std::to_string(entry.size) + " bytes listed"
                                                     : std::string("4 GiB, the most read of a file without a size"));
    if (code != CURLE_OK)
        return "not fetched: " + entry.path + ": " + curl_easy_strerror(code);
    if (status != 200)
        return "not served: " + entry.path + " (HTTP " + std::to_string(status) + ")";
    if (entry.size_piece == SizePiece::kBytes && transfer.received != entry.size)
        return "other size: " + entry.path + ": " + std::to_string(transfer.received) + " bytes, the manifest says "
            + std::to_string(entry.size);
    const std::string served = HexDigest(transfer.hash);
    if (entry.hash == HashPiece::kSha256 && served != entry.sha256)
        return "other hash: " + entry.path + ": " + served + ", the manifest says " + entry.sha256;
    return std::string();
}

class TransferPool {
public:
    TransferPool(const std::vector<std::string>& hosts, const std::string& scheme, const OnlineOptions& options)
        : m_hosts(hosts), ms_scheme(scheme), m_options(options), m_multi(curl_multi_init())
    {
        curl_multi_setopt(m_multi.get(), CURLMOPT_MAX_TOTAL_CONNECTIONS, static_cast<long>(options.transfers));
    }

    bool Ready() const { return static_cast<bool>(m_multi); }
    size_t Active() const { return m_active.size(); }

    bool Start(size_t host, const Listed& listed)
    {
        auto transfer = std::make_unique<Transfer>();
        transfer->host = host;
        transfer->listed = &listed;
        sha256_init(&transfer->hash);
        transfer->most = listed.entry.size_piece == SizePiece::kBytes ? listed.entry.size : kMostUnlistedLength;
        transfer->handle.reset(curl_easy_init());
        CURL* handle = transfer->handle.get();
        if (!handle)
            return false;
        const std::string url = UrlOf(ms_scheme, m_hosts[host], listed.entry.path);
        curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
        curl_easy_setopt(handle, CURLOPT_USERAGENT, kAgent);
        curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(handle, CURLOPT_FAILONERROR, 1L);
        curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(handle, CURLOPT_MAXREDIRS, kMostRedirects);
        curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
        // The installer takes no redirect from https down to plain http.
        curl_easy_setopt(handle, CURLOPT_REDIR_PROTOCOLS_STR, ms_scheme == "https" ? "https" : "http,https");
        curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, m_options.connect_seconds);
        curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, kStallBytes);
        curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, m_options.stall_seconds);
        curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, OnBody);
        curl_easy_setopt(handle, CURLOPT_WRITEDATA, transfer.get());
        if (curl_multi_add_handle(m_multi.get(), handle) != CURLM_OK)
            return false;
        m_active.push_back(std::move(transfer));
        return true;
    }

    // Runs the transfers a while; each one that ended goes to `done` with
    // what differs.
    template <typename Done>
    bool Run(Done done)
    {
        int running = 0;
        if (curl_multi_perform(m_multi.get(), &running) != CURLM_OK)
            return false;
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(m_multi.get(), &left)) {
            if (message->msg != CURLMSG_DONE)
                continue;
            const auto ended = std::find_if(m_active.begin(), m_active.end(), [message](const auto& transfer) {
                return transfer->handle.get() == message->easy_handle;
            });
            if (ended == m_active.end())
                continue;
            const CURLcode code = message->data.result;
            curl_multi_remove_handle(m_multi.get(), (*ended)->handle.get());
            done(**ended, Difference(**ended, code));
            m_active.erase(ended);
        }
        return running == 0 || curl_multi_poll(m_multi.get(), nullptr, 0, kPollMilliseconds, nullptr) == CURLM_OK;
    }

private:
    const std::vector<std::string>& m_hosts;
    std::string ms_scheme;
    const OnlineOptions& m_options;
    CurlMulti m_multi;
    std::list<std::unique_ptr<Transfer>> m_active;
};

std::vector<Listed> ListedFiles(const IniFile& manifest, const ParseRecord& record)
{
    std::vector<std::string> keys, values;
    manifest.GetSection("URLS", keys, values);
    std::vector<Listed> listed;
    for (size_t i = 0; i < keys.size(); ++i) {
        Listed file{record.LineOf("URLS", keys[i]), ResourceEntry()};
        if (IsResourceKey(keys[i]) && ParseResourceEntry(keys[i], values[i], file.entry))
            listed.push_back(file);
    }
    return listed;
}

} // namespace

std::vector<Finding> CheckOnline(const std::string& text, const OnlineOptions& options,
                                 std::vector<HostResult>& results)
{
    IniFile manifest;
    ParseRecord record;
    record.Parse(text, manifest);
    const std::vector<Listed> listed = ListedFiles(manifest, record);
    std::vector<std::string> hosts{manifest.GetValue("URLS", "SERVER_ADDR")};
    for (const std::string& mirror : MirrorHosts(manifest))
        hosts.push_back(mirror);
    const std::string scheme = AsciiUpper(manifest.GetValue("URLS", "SERVER_SCHEME")) == "HTTPS" ? "https" : "http";
    std::vector<std::vector<Finding>> by_host(hosts.size());
    results.clear();
    for (const std::string& host : hosts)
        results.push_back({host, listed.size(), 0});
    // Each file from every host in turn, so that the hosts share the load.
    std::vector<std::pair<size_t, const Listed*>> jobs;
    for (const Listed& file : listed)
        for (size_t host = 0; host < hosts.size(); ++host)
            if (IsSafeHost(hosts[host]))
                jobs.emplace_back(host, &file);
    for (size_t host = 0; host < hosts.size(); ++host)
        if (!IsSafeHost(hosts[host])) {
            by_host[host].push_back({0, true, hosts[host] + ": not a host name the check can reach"});
            results[host].differing = listed.size();
        }
    TransferPool pool(hosts, scheme, options);
    size_t next = 0, done = 0;
    const auto finished = [&](const Transfer& transfer, const std::string& difference) {
        if (!difference.empty()) {
            by_host[transfer.host].push_back({transfer.listed->line, true, hosts[transfer.host] + ": " + difference});
            ++results[transfer.host].differing;
        }
        if (options.progress)
            options.progress(++done, jobs.size());
    };
    bool working = pool.Ready();
    while (working && (next < jobs.size() || pool.Active() > 0)) {
        while (pool.Active() < static_cast<size_t>(options.transfers) && next < jobs.size() && working) {
            working = pool.Start(jobs[next].first, *jobs[next].second);
            ++next;
        }
        working = working && pool.Run(finished);
    }
    std::vector<Finding> findings;
    if (!working)
        findings.push_back({0, true, "the transfers could not be run"});
    for (std::vector<Finding>& group : by_host) {
        std::stable_sort(group.begin(), group.end(), [](const Finding& a, const Finding& b) { return a.line < b.line; });
        findings.insert(findings.end(), group.begin(), group.end());
    }
    return findings;
}
