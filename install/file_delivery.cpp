#include "install/file_delivery.h"

#include "base/diagnostics.h"
#include "base/disk_space.h"
#include "base/player_box.h"
#include "install/addresses.h"
#include "install/debug_message.h"
#include "install/delivery_rules.h"
#include "install/manifest_rules.h"
#include "install/read_ahead.h"
#include "install/refusal_box.h"
#include "install/resource_entry.h"
#include "install/resource_file_listener.h"
#include "install/window_channel.h"
#include "net/file_downloader.h"
#include "services/sha256_hash.h"
#include "services/text.h"
#include "services/volume_space.h"
#include "services/whole_file.h"
#include "store/installer.h"

#include <algorithm>
#include <optional>
#include <vector>

namespace {

const int kAttemptsPerFile = 5;
const DWORD kKeptCountIntervalMs = 100;
const char kLibraryName[] = "EXTRACT.DLL";

// A URL_ entry with the manifest value it came from (shown in a box).
struct ListedFile {
    ResourceEntry entry;
    std::string value;
    bool kept = false;
};

// Where the files come from: SERVER_ADDR and its mirrors, all over the same
// scheme. A file starts on the host that delivered the last one, SERVER_ADDR
// at first; a failed attempt moves on to the next host, round the list.
class FileHosts {
public:
    explicit FileHosts(const Installer& installer)
    {
        const IniFile& manifest = installer.m_manifest;
        m_hosts.push_back(manifest.GetValue("URLS", "SERVER_ADDR"));
        for (const std::string& mirror : MirrorHosts(manifest))
            m_hosts.push_back(mirror);
        mb_secure = installer.mb_strict || IsHttpsScheme(manifest.GetValue("URLS", "SERVER_SCHEME"));
    }

    const std::string& Current() const { return m_hosts[mn_current]; }
    bool Secure() const { return mb_secure; }
    // True once the current host has delivered a file of this run.
    bool Proven() const { return mb_proven; }
    void Delivered() { mb_proven = true; }
    void MoveOn()
    {
        mn_current = (mn_current + 1) % m_hosts.size();
        mb_proven = false;
    }

private:
    std::vector<std::string> m_hosts;
    size_t mn_current = 0;
    bool mb_secure = false;
    bool mb_proven = false;
};

std::vector<ListedFile> ListedFiles(const IniFile& manifest)
{
    std::vector<std::string> keys, values;
    manifest.GetSection("URLS", keys, values);
    std::vector<ListedFile> files;
    ListedFile file;
    for (size_t i = 0; i < keys.size(); ++i) {
        if (!IsResourceKey(keys[i]) || !ParseResourceEntry(keys[i], values[i], file.entry))
            continue;
        file.value = values[i];
        files.push_back(file);
    }
    return files;
}

// The hash of the entry that places Extract.dll in the install folder, the
// last one fetched; empty when there is none or it has no hash.
std::string LibraryHash(const std::vector<ListedFile>& files)
{
    std::string sha256;
    for (const ListedFile& file : files)
        if (file.entry.sub_folder.empty() && AsciiUpper(ResourceFileName(file.entry.path)) == kLibraryName)
            sha256 = file.entry.sha256;
    return sha256;
}

void ShowFileCount(int ordinal, int total)
{
    g_dialog->SetStatusText(IDC_FILES_STATUS,
                            PlayerText(TextId::kDownloadedFiles, {std::to_string(ordinal), std::to_string(total)}));
    g_dialog->SetProgressPos(IDC_FILES_PROGRESS, ordinal, true);
}

bool IsArchive(const ResourceEntry& entry) { return EndsWith(entry.path, ".7z"); }

// A file already in place whose size and SHA-256 match its entry need not be
// fetched again. An archive is deleted only once its last entry is placed, so
// one found in place is verified but not unpacked whole (a kill or a crash
// stopped its unpacking): it is unpacked again, not fetched.
bool IsInPlace(const ResourceEntry& entry, const std::string& install_dir)
{
    if (entry.hash != HashPiece::kSha256)
        return false;
    const std::string path = ResourceFilePath(install_dir, entry);
    if (entry.size_piece == SizePiece::kBytes && FileSize(path) != entry.size)
        return false;
    std::string sha256;
    return HashFile(path, sha256) && sha256 == entry.sha256;
}

// Before the first file: the files the run will fetch, each in whole
// clusters (those without a declared size count nothing), and the margin.
bool DiskTakesTheFiles(const std::vector<ListedFile>& files, const std::string& install_dir)
{
    VolumeSpace volume;
    if (!QueryVolumeSpace(install_dir, volume))
        return true; // it cannot be told; a full disk still shows at the write
    std::uint64_t on_disk = 0;
    for (const ListedFile& file : files)
        if (!file.kept && file.entry.size_piece == SizePiece::kBytes)
            on_disk = disk_space::SaturatingAdd(
                on_disk, disk_space::OnDisk(static_cast<std::uint64_t>(file.entry.size), volume.cluster_bytes));
    const std::uint64_t needed = disk_space::Needed(on_disk);
    if (needed <= volume.free_bytes)
        return true;
    Diagnostic("%s\n", DiskSpaceRefusal(needed, volume.free_bytes).c_str());
    ShowDiskSpaceRefusal(needed, volume.free_bytes);
    return false;
}

// How many transfers may run at once: the manifest's PARALLEL_DOWNLOADS,
// else the default, as browsers keep per host.
int ParallelDownloads(const IniFile& manifest)
{
    const std::string value = manifest.GetValue("URLS", "PARALLEL_DOWNLOADS");
    int count = kDefaultParallelDownloads;
    if (!value.empty() && !ReadParallelDownloads(value, count))
        Diagnostic("PARALLEL_DOWNLOADS=%s ignored: not a whole number from 1 to %d; %d transfers at once\n",
                   value.c_str(), kMostParallelDownloads, count);
    return count;
}

// What read-ahead may fetch: not the files the run keeps, nor one whose
// target another entry shares (their staged copies would be one file).
std::vector<ReadAheadFile> AheadFiles(const std::vector<ListedFile>& files, const std::string& install_dir)
{
    std::vector<std::string> targets;
    for (const ListedFile& file : files)
        targets.push_back(AsciiUpper(ResourceFilePath(install_dir, file.entry)));
    std::vector<std::string> sorted = targets;
    std::sort(sorted.begin(), sorted.end());
    std::vector<ReadAheadFile> ahead(files.size());
    for (size_t i = 0; i < files.size(); ++i) {
        const auto same = std::equal_range(sorted.begin(), sorted.end(), targets[i]);
        ahead[i].entry = files[i].entry;
        ahead[i].eligible = !files[i].kept && same.second - same.first == 1;
    }
    return ahead;
}

// One attempt of one file.
ResourceFileDownloaderListener::Outcome FetchResource(const ListedFile& file, const FileHosts& hosts,
                                                      const std::string& library_sha256, ReadAhead& read_ahead)
{
    ReadAhead::OwnTransfer own(read_ahead);
    ResourceFileDownloaderListener listener(file.entry, library_sha256);
    FileDownloader downloader(&listener, hosts.Current(), hosts.Secure());
    DebugMessage(kDebugLevel2, "Download:" + file.value);
    // An answer that cannot be this file's ends the attempt before its body.
    if (downloader.OpenConnection(file.entry.path, listener.Resume()) && !listener.Begin(downloader.Head()))
        return listener.GetOutcome();
    g_dialog->SetProgressRange(IDC_FILE_PROGRESS, ByteBarRange(listener.Total()));
    // A declared size bounds the attempt's time when the answer has no length.
    downloader.SetExpectedLength(listener.Rest());
    downloader.Start(true);
    return listener.GetOutcome();
}

// The copy read-ahead fetched, when it is complete: placed as a fetched
// file is. While its transfer runs, the file's line and bar show it. None
// when read-ahead has no complete copy.
std::optional<ResourceFileDownloaderListener::Outcome> PlaceReadAhead(const ListedFile& file, size_t index,
                                                       const std::string& library_sha256, ReadAhead& read_ahead)
{
    bool announced = false;
    const auto show_progress = [&](std::int64_t received, std::int64_t length) {
        if (!announced)
            ResourceFileDownloaderListener::Announce(file.entry);
        announced = true;
        if (length >= 0)
            g_dialog->SetProgressRange(IDC_FILE_PROGRESS, ByteBarRange(length));
        g_dialog->SetProgressPos(IDC_FILE_PROGRESS, ClampToInt(received / 1024));
    };
    std::int64_t size = 0;
    if (!read_ahead.TakeStaged(index, size, show_progress))
        return std::nullopt;
    g_dialog->SetProgressRange(IDC_FILE_PROGRESS, ByteBarRange(size));
    return ResourceFileDownloaderListener::PlaceStaged(file.entry, library_sha256, size);
}

// Up to five attempts of one file, after the read-ahead's copy when there is
// one; false when the run must stop.
bool Deliver(const ListedFile& file, size_t index, FileHosts& hosts, const std::string& library_sha256,
             ReadAhead& read_ahead, int& ordinal, int total)
{
    ++ordinal;
    ShowFileCount(ordinal, total);
    // Only placing a complete copy counts as an attempt: a read-ahead
    // transfer that failed is none.
    int attempt = 1;
    if (const auto placed = PlaceReadAhead(file, index, library_sha256, read_ahead)) {
        if (*placed == ResourceFileDownloaderListener::Outcome::kFinished)
            return true;
        // The player gave up on a file another program holds.
        if (*placed == ResourceFileDownloaderListener::Outcome::kEndRun)
            return false;
        ++attempt;
    }
    for (;; ++attempt) {
        ShowFileCount(ordinal, total);
        switch (FetchResource(file, hosts, library_sha256, read_ahead)) {
        case ResourceFileDownloaderListener::Outcome::kFinished:
            return true;
        case ResourceFileDownloaderListener::Outcome::kEndRun:
            return false;
        case ResourceFileDownloaderListener::Outcome::kFailed:
        case ResourceFileDownloaderListener::Outcome::kStaged:
            break;
        }
        if (attempt == kAttemptsPerFile) {
            ShowPlayerMessage(TextId::kRetriesExhausted);
            return false;
        }
        hosts.MoveOn();
        read_ahead.UseHost(hosts.Current());
    }
}

} // namespace

bool DeliverFiles(const Installer& installer)
{
    std::vector<ListedFile> files = ListedFiles(installer.m_manifest);
    for (ListedFile& file : files)
        file.kept = IsInPlace(file.entry, installer.ms_install_dir);
    const int total = static_cast<int>(files.size());
    g_dialog->SetProgressRange(IDC_FILES_PROGRESS, total);
    if (!DiskTakesTheFiles(files, installer.ms_install_dir))
        return false;

    FileHosts hosts(installer);
    const std::string library_sha256 = LibraryHash(files);
    const int transfers = ParallelDownloads(installer.m_manifest);
    // Never below the system's own two: the browser panes share the limit.
    FileDownloader::AllowConnectionsPerServer(static_cast<DWORD>(transfers > 2 ? transfers : 2));
    ReadAhead read_ahead(AheadFiles(files, installer.ms_install_dir), transfers, hosts.Secure(), library_sha256);
    int ordinal = 0;
    // Kept files go by faster than the window repaints: their count is shown
    // at most every kKeptCountIntervalMs, and once the loop is done.
    DWORD kept_count_shown = GetTickCount();
    bool kept_any = false;
    bool unpacked = false;
    for (size_t index = 0; index < files.size(); ++index) {
        const ListedFile& file = files[index];
        read_ahead.Reach(index, hosts.Current(), hosts.Proven());
        // An archive unpacked before may have placed a later entry's file.
        const bool placed_by_archive = !file.kept && unpacked && IsInPlace(file.entry, installer.ms_install_dir);
        if (!file.kept && !placed_by_archive) {
            if (!Deliver(file, index, hosts, library_sha256, read_ahead, ordinal, total))
                return false;
            hosts.Delivered();
            unpacked = unpacked || IsArchive(file.entry);
            continue;
        }
        if (placed_by_archive)
            read_ahead.Discard(index);
        if (IsArchive(file.entry)) {
            ShowFileCount(++ordinal, total);
            Diagnostic("Unpacking %s again: it is in place, its unpacking did not finish\n", file.value.c_str());
            UnpackResource(ResourceFilePath(installer.ms_install_dir, file.entry), file.entry.display_name,
                           library_sha256);
            unpacked = true;
            continue;
        }
        ++ordinal;
        kept_any = true;
        if (GetTickCount() - kept_count_shown >= kKeptCountIntervalMs) {
            ShowFileCount(ordinal, total);
            kept_count_shown = GetTickCount();
        }
        Diagnostic("Kept %s: its SHA-256 matches the manifest\n", file.value.c_str());
    }
    if (kept_any)
        ShowFileCount(ordinal, total);
    return true;
}
