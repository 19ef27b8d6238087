#include "install/file_delivery.h"

#include "base/diagnostics.h"
#include "base/disk_space.h"
#include "base/owner_window.h"
#include "install/addresses.h"
#include "install/debug_message.h"
#include "install/delivery_rules.h"
#include "install/manifest_rules.h"
#include "install/resource_entry.h"
#include "install/resource_file_listener.h"
#include "install/window_channel.h"
#include "net/file_downloader.h"
#include "services/sha256_hash.h"
#include "services/text.h"
#include "services/volume_space.h"
#include "services/whole_file.h"
#include "store/installer.h"

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
    void MoveOn() { mn_current = (mn_current + 1) % m_hosts.size(); }

private:
    std::vector<std::string> m_hosts;
    size_t mn_current = 0;
    bool mb_secure = false;
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
    g_dialog->SetStatusText(IDC_FILES_STATUS, FilesStatusText(ordinal, total));
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
    const std::string refusal = DiskSpaceRefusal(needed, volume.free_bytes);
    Diagnostic("%s\n", refusal.c_str());
    ShowMessage(refusal);
    return false;
}

// One attempt of one file.
ResourceFileDownloaderListener::Outcome FetchResource(const ListedFile& file, const FileHosts& hosts,
                                                      const std::string& library_sha256)
{
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

// Up to five attempts of one file; false when the run must stop.
bool Deliver(const ListedFile& file, FileHosts& hosts, const std::string& library_sha256, int& ordinal, int total)
{
    ++ordinal;
    for (int attempt = 1;; ++attempt) {
        ShowFileCount(ordinal, total);
        switch (FetchResource(file, hosts, library_sha256)) {
        case ResourceFileDownloaderListener::Outcome::kFinished:
            return true;
        case ResourceFileDownloaderListener::Outcome::kEndRun:
            return false;
        case ResourceFileDownloaderListener::Outcome::kFailed:
            break;
        }
        if (attempt == kAttemptsPerFile) {
            ShowMessage("Error retry_count==5");
            return false;
        }
        hosts.MoveOn();
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
    int ordinal = 0;
    // Kept files go by faster than the window repaints: their count is shown
    // at most every kKeptCountIntervalMs, and once the loop is done.
    DWORD kept_count_shown = GetTickCount();
    bool kept_any = false;
    bool unpacked = false;
    for (const ListedFile& file : files) {
        // An archive unpacked before may have placed a later entry's file.
        if (!file.kept && !(unpacked && IsInPlace(file.entry, installer.ms_install_dir))) {
            if (!Deliver(file, hosts, library_sha256, ordinal, total))
                return false;
            unpacked = unpacked || IsArchive(file.entry);
            continue;
        }
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
