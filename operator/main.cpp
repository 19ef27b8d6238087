// manifest-tool: the operators' manifest checker and signer.
//   manifest-tool check MANIFEST [--files DIR] [--public-key PUBLIC.pem]... [--strict] [--online]
//   manifest-tool hash MANIFEST --files DIR
//   manifest-tool keygen PRIVATE.pem PUBLIC.pem [--bits 3072]
//   manifest-tool sign MANIFEST --key PRIVATE.pem [--serial N]
//                      [--expires YYYY-MM-DD | --valid-days D] [--out FILE]
//   manifest-tool make DIR --server HOST [--path PREFIX] [--template FILE] [--out FILE]
//                      [--code-page N]
// Exit status: 0 no error (warnings allowed), 1 errors, 2 usage or read error.
#include "install/manifest_rules.h"
#include "operator/code_page_names.h"
#include "operator/file_sha256.h"
#include "operator/manifest_check.h"
#include "operator/manifest_hashes.h"
#include "operator/manifest_signer.h"
#include "operator/online_check.h"
#include "operator/release_folder.h"
#include "operator/rsa_keys.h"

#include <curl/curl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <vector>

namespace {

const int kUsageError = 2;
const int kDefaultKeyBits = 3072;
// --valid-days reaches at most this far.
const long kMostValidDays = 36500;
// The players' code page a made manifest is written in, unless told.
const long kDefaultCodePage = 1252;
const long kMostCodePage = 65535;

int Usage()
{
    std::fprintf(stderr, "usage: manifest-tool check MANIFEST [--files DIR] [--public-key PUBLIC.pem]... [--strict]\n"
                         "                          [--online]\n"
                         "       manifest-tool hash MANIFEST --files DIR\n"
                         "       manifest-tool keygen PRIVATE.pem PUBLIC.pem [--bits 3072]\n"
                         "       manifest-tool sign MANIFEST --key PRIVATE.pem [--serial N]\n"
                         "                          [--expires YYYY-MM-DD | --valid-days D] [--out FILE]\n"
                         "       manifest-tool make DIR --server HOST [--path PREFIX] [--template FILE] [--out FILE]\n"
                         "                          [--code-page 1252]\n");
    return kUsageError;
}

int Failure(const std::string& what, int status)
{
    std::fprintf(stderr, "manifest-tool: %s\n", what.c_str());
    return status;
}

// The words after the command: plain ones in order, and options, each with
// one value.
struct Arguments {
    std::vector<std::string> words;
    std::multimap<std::string, std::string> options;

    bool Has(const std::string& option) const { return options.count(option) > 0; }
    std::string Value(const std::string& option) const
    {
        const auto found = options.find(option);
        return found == options.end() ? std::string() : found->second;
    }
};

// False for an option not in `known` or `flags`, one given twice that may
// not be, or one without its value; a flag takes none.
bool ReadArguments(int argc, char** argv, const std::set<std::string>& known, const std::set<std::string>& repeated,
                   Arguments& arguments, const std::set<std::string>& flags = {})
{
    for (int i = 2; i < argc; ++i) {
        const std::string word = argv[i];
        if (word.compare(0, 2, "--") != 0) {
            arguments.words.push_back(word);
            continue;
        }
        if (arguments.Has(word) && !repeated.count(word))
            return false;
        if (flags.count(word)) {
            arguments.options.emplace(word, std::string());
            continue;
        }
        if (!known.count(word) || i + 1 == argc)
            return false;
        arguments.options.emplace(word, argv[++i]);
    }
    return true;
}

// False when the file cannot be read whole: missing, a folder, no permission.
bool ReadWhole(const std::string& path, std::string& text)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!file)
        return false;
    char buffer[1 << 16];
    size_t read = 0;
    while ((read = std::fread(buffer, 1, sizeof buffer, file.get())) > 0)
        text.append(buffer, read);
    return !std::ferror(file.get());
}

// Written beside the target and renamed over it: a full disk leaves the
// operator's manifest as it was, never cut short.
bool WriteWhole(const std::string& path, const std::string& text)
{
    const std::string part = path + ".tmp";
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(part.c_str(), "wb"), std::fclose);
    const bool written = file && std::fwrite(text.data(), 1, text.size(), file.get()) == text.size()
        && std::fclose(file.release()) == 0;
    if (written && std::rename(part.c_str(), path.c_str()) == 0)
        return true;
    std::remove(part.c_str());
    return false;
}

// A manifest on standard output that did not arrive whole is a failure, not
// a short manifest to sign or serve.
int WriteOutput(const std::string& text)
{
    if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0)
        return 0;
    return Failure("cannot write standard output", 1);
}

// The files of DIR by request path, as the server serves them from its root.
ServedFiles FilesUnder(const std::string& folder)
{
    return [folder](const std::string& request_path, ServedFile& file) {
        const size_t start = request_path.find_first_not_of('/');
        return start != std::string::npos
            && FileSha256(folder + "/" + request_path.substr(start), file.sha256, file.size);
    };
}

CalendarDate TodayUtc() { return DateOfDay(static_cast<std::int64_t>(std::time(nullptr)) / 86400); }

// A whole number in decimal digits, up to `most`; false for anything else.
bool ReadCount(const std::string& text, long most, long& count)
{
    char* end = nullptr;
    count = text.empty() || text[0] < '0' || text[0] > '9' ? -1 : std::strtol(text.c_str(), &end, 10);
    return count >= 0 && count <= most && end && *end == '\0';
}

void Print(const std::string& manifest, const std::vector<Finding>& findings)
{
    for (const Finding& finding : findings)
        std::printf("%s:%d: %s: %s\n", manifest.c_str(), finding.line, finding.error ? "error" : "warning",
                    finding.text.c_str());
}

// Progress on a terminal only: a log or a pipe gets the findings alone.
void ShowProgress(size_t done, size_t total)
{
    std::fprintf(stderr, "\rfetched %zu of %zu%s", done, total, done == total ? "\n" : "");
}

// Every listed file fetched from every host; false when any host differs.
bool CheckServers(const std::string& manifest, const std::string& text)
{
    OnlineOptions options;
    if (isatty(fileno(stderr)))
        options.progress = ShowProgress;
    std::vector<HostResult> hosts;
    const std::vector<Finding> findings = CheckOnline(text, options, hosts);
    Print(manifest, findings);
    for (const HostResult& host : hosts)
        std::printf("%s: %zu of %zu files as listed\n", host.host.c_str(), host.files - host.differing, host.files);
    return !HasError(findings);
}

int Check(const Arguments& arguments)
{
    if (arguments.words.size() != 1)
        return Usage();
    std::vector<RsaKey> keys;
    for (auto key = arguments.options.equal_range("--public-key"); key.first != key.second; ++key.first) {
        std::string error;
        keys.push_back(ReadPublicKey(key.first->second, error));
        if (!keys.back())
            return Failure(error, kUsageError);
    }
    std::string text;
    if (!ReadWhole(arguments.words[0], text))
        return Failure("cannot read " + arguments.words[0], kUsageError);
    const ServedFiles files = FilesUnder(arguments.Value("--files"));
    CheckOptions options;
    options.files = arguments.Has("--files") ? &files : nullptr;
    options.strict = arguments.Has("--strict");
    options.today = TodayUtc();
    if (!keys.empty())
        options.verify = [&keys](std::string_view covered, const std::string& signature) {
            for (const RsaKey& key : keys)
                if (VerifySha256(key.get(), covered, signature))
                    return true;
            return false;
        };
    const std::vector<Finding> findings = CheckManifest(text, options);
    Print(arguments.words[0], findings);
    const bool online_differs = arguments.Has("--online") && !CheckServers(arguments.words[0], text);
    return HasError(findings) || online_differs ? 1 : 0;
}

int Hash(const Arguments& arguments)
{
    if (arguments.words.size() != 1 || !arguments.Has("--files"))
        return Usage();
    std::string text;
    if (!ReadWhole(arguments.words[0], text))
        return Failure("cannot read " + arguments.words[0], kUsageError);
    std::string output;
    std::vector<Finding> missing;
    if (!FillHashes(text, FilesUnder(arguments.Value("--files")), output, missing)) {
        for (const Finding& finding : missing)
            std::fprintf(stderr, "%s:%d: error: %s\n", arguments.words[0].c_str(), finding.line,
                         finding.text.c_str());
        return 1;
    }
    return WriteOutput(output);
}

int KeyGen(const Arguments& arguments)
{
    long bits = kDefaultKeyBits;
    if (arguments.words.size() != 2 || (arguments.Has("--bits") && !ReadCount(arguments.Value("--bits"), kMostKeyBits, bits))
        || bits < kFewestKeyBits)
        return Usage();
    std::string error;
    if (!GenerateKeyPair(static_cast<int>(bits), arguments.words[0], arguments.words[1], error))
        return Failure(error, 1);
    return 0;
}

int Sign(const Arguments& arguments)
{
    if (arguments.words.size() != 1 || !arguments.Has("--key")
        || (arguments.Has("--expires") && arguments.Has("--valid-days")))
        return Usage();
    Freshness freshness;
    freshness.serial = arguments.Value("--serial");
    freshness.expires = arguments.Value("--expires");
    long days = 0;
    if (arguments.Has("--valid-days")) {
        if (!ReadCount(arguments.Value("--valid-days"), kMostValidDays, days))
            return Usage();
        freshness.expires = FormatDate(DateOfDay(DayNumber(TodayUtc()) + days));
    }
    std::string error, text, output;
    const RsaKey key = ReadPrivateKey(arguments.Value("--key"), error);
    if (!key)
        return Failure(error, kUsageError);
    if (!ReadWhole(arguments.words[0], text))
        return Failure("cannot read " + arguments.words[0], kUsageError);
    const Signer sign = [&key](std::string_view covered, std::string& signature) {
        return SignSha256(key.get(), covered, signature);
    };
    if (!SignManifest(text, freshness, sign, output, error))
        return Failure(error, kUsageError);
    if (!arguments.Has("--out"))
        return WriteOutput(output);
    return WriteWhole(arguments.Value("--out"), output) ? 0 : Failure("cannot write " + arguments.Value("--out"), 1);
}

// The folder's files as the manifest will name them, or the refusals.
bool ReleaseFiles(const Arguments& arguments, unsigned code_page, std::vector<ReleaseFile>& files,
                  std::vector<std::string>& refusals)
{
    ListReleaseFolder(arguments.words[0], code_page, arguments.Value("--out"), files, refusals);
    std::sort(refusals.begin(), refusals.end());
    return refusals.empty();
}

int Make(const Arguments& arguments)
{
    long code_page = kDefaultCodePage;
    if (arguments.words.size() != 1 || !arguments.Has("--server")
        || (arguments.Has("--code-page") && !ReadCount(arguments.Value("--code-page"), kMostCodePage, code_page)))
        return Usage();
    std::error_code error;
    if (!std::filesystem::is_directory(arguments.words[0], error))
        return Failure("cannot read the folder " + arguments.words[0], kUsageError);
    if (!IsKnownCodePage(static_cast<unsigned>(code_page)))
        return Failure("code page " + std::to_string(code_page) + " is not known here", kUsageError);
    MakeOptions options;
    options.host = arguments.Value("--server");
    if (!IsSafeHost(options.host))
        return Failure("--server " + options.host + ": not a host name (letters, digits, \"-\" and \".\")",
                       kUsageError);
    options.prefix = arguments.Value("--path");
    options.names = CodePageNames(static_cast<unsigned>(code_page));
    if (arguments.Has("--template") && !ReadWhole(arguments.Value("--template"), options.template_text))
        return Failure("cannot read " + arguments.Value("--template"), kUsageError);
    std::vector<ReleaseFile> files;
    std::vector<std::string> refusals;
    std::string output;
    const ReadFileHash hash = [](const std::string& path, ServedFile& file) {
        return FileSha256(path, file.sha256, file.size);
    };
    if (!ReleaseFiles(arguments, static_cast<unsigned>(code_page), files, refusals)
        || !MakeManifest(files, options, hash, output, refusals)) {
        for (const std::string& refusal : refusals)
            std::fprintf(stderr, "manifest-tool: %s\n", refusal.c_str());
        return 1;
    }
    if (!arguments.Has("--out"))
        return WriteOutput(output);
    return WriteWhole(arguments.Value("--out"), output) ? 0 : Failure("cannot write " + arguments.Value("--out"), 1);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    const std::string command = argv[1];
    Arguments arguments;
    if (command == "check"
        && ReadArguments(argc, argv, {"--files", "--public-key"}, {"--public-key"}, arguments,
                         {"--strict", "--online"})) {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        const int status = Check(arguments);
        curl_global_cleanup();
        return status;
    }
    if (command == "make"
        && ReadArguments(argc, argv, {"--server", "--path", "--template", "--out", "--code-page"}, {}, arguments))
        return Make(arguments);
    if (command == "hash" && ReadArguments(argc, argv, {"--files"}, {}, arguments))
        return Hash(arguments);
    if (command == "keygen" && ReadArguments(argc, argv, {"--bits"}, {}, arguments))
        return KeyGen(arguments);
    if (command == "sign"
        && ReadArguments(argc, argv, {"--key", "--serial", "--expires", "--valid-days", "--out"}, {}, arguments))
        return Sign(arguments);
    return Usage();
}
