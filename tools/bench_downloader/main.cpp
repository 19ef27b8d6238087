// Throughput of FileDownloader, with a listener that writes every block to a
// file, against a raw loop of 1024-byte InternetReadFile calls writing to the
// same file, on the same resource in the same run; and the cost of hashing
// every block with SHA-256 while it is written, as the installer does for a
// file with a hash.
//   bench_downloader HOST PATH FILE [ROUNDS]
// The raw loop alone over several files, each with a session and connection
// of its own and stored in FOLDER under its last path piece, as the installer
// fetches its files; prints the seconds of the best round; --raw64 reads
// 64 KiB at a time instead of 1 KiB:
//   bench_downloader --raw ROUNDS HOST FOLDER PATH...
//   bench_downloader --raw64 ROUNDS HOST FOLDER PATH...
#include "base/unique_handle.h"
#include "net/downloader_listener.h"
#include "net/file_downloader.h"
#include "services/sha256_pipeline.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

FileHandle CreateTarget(const char* path)
{
    return FileHandle(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

class FileWritingListener : public DownloaderListener {
public:
    FileWritingListener(HANDLE file, Sha256Pipeline* hash) : mh_file(file), mp_hash(hash) {}
    bool OnRecv(const std::string& block) override
    {
        DWORD written = 0;
        if (!WriteFile(mh_file, block.data(), block.size(), &written, nullptr) || written != block.size())
            return false;
        if (mp_hash)
            mp_hash->Add(block.data(), block.size());
        return true;
    }
    void OnFinished() override { mb_finished = true; }
    void OnError(const TransferError&) override {}
    bool Finished() const { return mb_finished; }

private:
    HANDLE mh_file;
    Sha256Pipeline* mp_hash;
    bool mb_finished = false;
};

// Seconds for one transfer through FileDownloader, hashing every block when
// `hashed`; negative on failure.
double TimeDownloader(const char* host, const char* path, const char* target, bool hashed)
{
    FileHandle file = CreateTarget(target);
    const DWORD start = GetTickCount();
    Sha256Pipeline hash;
    FileWritingListener listener(file.Get(), hashed ? &hash : nullptr);
    FileDownloader downloader(&listener, host);
    downloader.OpenConnection(path);
    downloader.Start(true);
    const bool hash_made = !hashed || hash.Finish().size() == 64;
    const double seconds = (GetTickCount() - start) / 1000.0;
    return listener.Finished() && hash_made ? seconds : -1;
}

// Seconds for the same transfer as a bare WinInet loop reading `read_size`
// bytes at a time; negative on failure.
double TimeRawLoop(const char* host, const char* path, const char* target, DWORD read_size = 1024)
{
    FileHandle file = CreateTarget(target);
    const DWORD start = GetTickCount();
    InternetHandle session(InternetOpenA("Downloader1.1", INTERNET_OPEN_TYPE_PRECONFIG,
                                         nullptr, nullptr, 0));
    InternetHandle connection(InternetConnectA(session.Get(), host, 80, nullptr, nullptr,
                                               INTERNET_SERVICE_HTTP, 0, 0));
    const char* types[] = {"*/*", nullptr};
    InternetHandle request(HttpOpenRequestA(connection.Get(), nullptr, path, nullptr, nullptr,
                                            types, 0x84400000, 0));
    if (!HttpSendRequestA(request.Get(), nullptr, 0, nullptr, 0))
        return -1;
    std::string buffer(read_size, '\0');
    DWORD read = 0, written = 0;
    while (InternetReadFile(request.Get(), &buffer[0], read_size, &read) && read > 0)
        WriteFile(file.Get(), buffer.data(), read, &written, nullptr);
    return (GetTickCount() - start) / 1000.0;
}

// Seconds for the raw loop over every path, one file after the other;
// negative when one failed.
double TimeRawFiles(const char* host, const char* folder, char** paths, int count, DWORD read_size)
{
    const DWORD start = GetTickCount();
    for (int i = 0; i < count; ++i) {
        const char* name = std::strrchr(paths[i], '/');
        const std::string target = std::string(folder) + "\\" + (name ? name + 1 : paths[i]);
        if (TimeRawLoop(host, paths[i], target.c_str(), read_size) < 0)
            return -1;
    }
    return (GetTickCount() - start) / 1000.0;
}

int RawFilesMain(int argc, char** argv, DWORD read_size)
{
    if (argc < 6) {
        std::fprintf(stderr, "usage: bench_downloader --raw|--raw64 ROUNDS HOST FOLDER PATH...\n");
        return 2;
    }
    CreateDirectoryA(argv[4], nullptr);
    double best = 1e9;
    for (int round = std::atoi(argv[2]); round > 0; --round) {
        const double seconds = TimeRawFiles(argv[3], argv[4], argv + 5, argc - 5, read_size);
        if (seconds < 0) {
            std::fprintf(stderr, "bench_downloader: a transfer failed\n");
            return 1;
        }
        best = std::min(best, seconds);
    }
    std::printf("%.3f\n", best);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--raw") == 0)
        return RawFilesMain(argc, argv, 1024);
    if (argc > 1 && std::strcmp(argv[1], "--raw64") == 0)
        return RawFilesMain(argc, argv, 64 * 1024);
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_downloader HOST PATH FILE [ROUNDS]\n");
        return 2;
    }
    const int rounds = argc > 4 ? std::atoi(argv[4]) : 3;
    double best_raw = 1e9, best_ours = 1e9, best_hashed = 1e9;
    for (int round = 0; round < rounds; ++round) {
        const double raw = TimeRawLoop(argv[1], argv[2], argv[3]);
        // Each goes first in every other round: the transfer after another
        // one runs on a warmer server.
        const bool hashed_first = round % 2 == 1;
        const double first = TimeDownloader(argv[1], argv[2], argv[3], hashed_first);
        const double second = TimeDownloader(argv[1], argv[2], argv[3], !hashed_first);
        const double ours = hashed_first ? second : first;
        const double hashed = hashed_first ? first : second;
        if (raw < 0 || ours < 0 || hashed < 0) {
            std::fprintf(stderr, "bench_downloader: a transfer failed\n");
            return 1;
        }
        best_raw = std::min(best_raw, raw);
        best_ours = std::min(best_ours, ours);
        best_hashed = std::min(best_hashed, hashed);
    }
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(argv[3], GetFileExInfoStandard, &data);
    const double megabytes = data.nFileSizeLow / 1e6;
    std::printf("raw 1 KiB loop:  %.1f MB/s\n", megabytes / best_raw);
    std::printf("FileDownloader:  %.1f MB/s\n", megabytes / best_ours);
    std::printf("ratio:           %.2f (best of %d rounds, %.1f MB)\n", best_raw / best_ours,
                rounds, megabytes);
    std::printf("with SHA-256:    %.1f MB/s, hashing while writing costs %+.1f %% of the transfer time\n",
                megabytes / best_hashed, (best_hashed - best_ours) / best_ours * 100);
    return 0;
}
