#include "install/delivery/resource_file_listener.h"

#include "base/disk_space.h"
#include "base/diagnostics.h"
#include "base/failure_log.h"
#include "base/player_box.h"
#include "base/process_exit.h"
#include "base/staging_names.h"
#include "install/worker/debug_message.h"
#include "install/trust/refusal_box.h"
#include "install/worker/window_channel.h"
#include "services/archive_unpacker.h"
#include "services/file_placement.h"
#include "services/holding_program.h"
#include "services/install_folders.h"
#include "services/sha256_hash.h"
#include "services/staged_hashes.h"
#include "services/text.h"
#include "services/whole_file.h"
#include "store/installer.h"

namespace {

const size_t kLongestResumeInfo = 4096;
const long kRangeNotSatisfiable = 416;

// Removes a file of ours; one that is not there is no failure.
void RemoveFile(const std::string& path)
{
    if (!DeleteFileA(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND)
        LogFailure("DeleteFileA", path, GetLastError());
}

bool IsDiskFull(DWORD error) { return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL; }

std::uint64_t ToUnsigned(std::int64_t value) { return value > 0 ? static_cast<std::uint64_t>(value) : 0; }

} // namespace

ResourceFileDownloaderListener::ResourceFileDownloaderListener(const ResourceEntry& entry,
                                                               const std::string& library_sha256, Role role)
    : m_entry(entry), ms_library_sha256(library_sha256), m_role(role), ms_file_name(ResourceFileName(entry.path)),
      ms_display_name(entry.display_name)
{
    Locate();
    FindStagedBytes();
}

ResourceFileDownloaderListener::ResourceFileDownloaderListener(const ResourceEntry& entry,
                                                               const std::string& library_sha256, PlaceTag)
    : m_entry(entry), ms_library_sha256(library_sha256), ms_file_name(ResourceFileName(entry.path)),
      ms_display_name(entry.display_name)
{
    Locate();
}

ResourceFileDownloaderListener::~ResourceFileDownloaderListener() { KeepHashState(); }

void ResourceFileDownloaderListener::Locate()
{
    const std::string& install_dir = g_installer->ms_install_dir;
    CreateDirectories(install_dir, m_entry.sub_folder);
    ms_file_path = ResourceFilePath(install_dir, m_entry);
    ms_part_path = ms_file_path + staging::kPartSuffix;
    ms_info_path = ms_file_path + staging::kInfoSuffix;
    if (m_role != Role::kRun)
        return;
    DebugMessage(kDebugLevel2, "file_name " + ms_file_path);
    Announce(m_entry);
}

void ResourceFileDownloaderListener::Announce(const ResourceEntry& entry)
{
    g_dialog->SetStatusText(IDC_FILE_STATUS, PlayerText(TextId::kDownloading, {entry.display_name}));
}

ResourceFileDownloaderListener::Outcome ResourceFileDownloaderListener::PlaceStaged(
    const ResourceEntry& entry, const std::string& library_sha256, std::int64_t size)
{
    ResourceFileDownloaderListener listener(entry, library_sha256, PlaceTag());
    listener.mn_received = size;
    listener.MoveBar(true);
    if (!listener.PlaceWhenFree())
        return listener.m_outcome == Outcome::kEndRun ? Outcome::kEndRun : Outcome::kFailed;
    ForgetAtExit(listener.ms_part_path);
    RemoveFile(listener.ms_info_path);
    listener.UnpackIfArchive();
    return Outcome::kFinished;
}

void ResourceFileDownloaderListener::RemoveStaged(const ResourceEntry& entry)
{
    const std::string path = ResourceFilePath(g_installer->ms_install_dir, entry);
    RemoveFile(path + staging::kPartSuffix);
    RemoveFile(path + staging::kInfoSuffix);
    ForgetAtExit(path + staging::kPartSuffix);
    ForgetStagedHash(path + staging::kPartSuffix);
}

void ResourceFileDownloaderListener::Say(TextId text, std::initializer_list<std::string> arguments) const
{
    if (m_role == Role::kRun)
        ShowPlayerMessage(text, arguments);
}

void ResourceFileDownloaderListener::MoveBar(bool final) const
{
    if (m_role == Role::kRun)
        g_dialog->SetProgressPos(IDC_FILE_PROGRESS, ClampToInt(mn_received / 1024), final);
}

// Only files with a hash are continued; any other staged file is created
// afresh when its body begins.
void ResourceFileDownloaderListener::FindStagedBytes()
{
    if (!IsResumable(m_entry))
        return;
    std::string text;
    ResumeInfo info;
    if (!ReadWholeFile(ms_info_path, kLongestResumeInfo, text))
        return;
    if (!ParseResumeInfo(text, info) || !BelongsTo(info, m_entry)) {
        // Bytes of another entry, or of a run that could not say how to
        // continue them, start again.
        DropStaged();
        return;
    }
    const std::int64_t staged = FileSize(ms_part_path);
    if (staged <= 0 || (info.length >= 0 && staged >= info.length)) {
        DropStaged();
        return;
    }
    RangeRequest rest;
    rest.from = staged;
    rest.validator = info.validator;
    m_resume = rest;
    mn_known_total = info.length;
    // An attempt that fails before any answer (no connection, a time-out,
    // an error status) keeps them for the next.
    mb_keep_staged = true;
}

bool ResourceFileDownloaderListener::Begin(const ResponseHead& head)
{
    const BodyDecision decision = DecideBody(head, m_entry, Resume(), mn_known_total);
    mn_total = decision.total;
    mn_largest = LargestFile(m_entry, decision.total);
    switch (decision.start) {
    case BodyStart::kFromZero:
        return StartFromZero(decision, head);
    case BodyStart::kAppend:
        return ContinueStaged();
    case BodyStart::kFail:
        return FailAttempt(decision.reason, false);
    case BodyStart::kDropAndFail:
        break;
    }
    return FailAttempt(decision.reason, true);
}

bool ResourceFileDownloaderListener::StartFromZero(const BodyDecision& decision, const ResponseHead& head)
{
    // Staged bytes the answer does not continue go before the free space is
    // judged: the new body takes their place. What an earlier answer said of
    // staged bytes no longer holds.
    if (m_resume)
        DropStaged();
    else if (IsResumable(m_entry))
        RemoveFile(ms_info_path);
    m_resume.reset();
    ForgetStagedHash(ms_part_path);
    mn_received = 0;
    mb_keep_staged = false;
    if (!RestFits())
        return false;
    // Shared for deletion: the process's end removes a staged file no run
    // may continue while it is still being written.
    mh_file.Reset(CreateFileA(ms_part_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    // Shows at the first write, as the design has it; logged now, with its code.
    if (!mh_file) {
        LogFailure("CreateFileA", ms_part_path, GetLastError());
        return true;
    }
    if (m_entry.hash == HashPiece::kSha256)
        m_hash.emplace();
    ResumeInfo info;
    info.validator = IsResumable(m_entry) ? ResumeValidator(head) : std::string();
    if (!info.validator.empty()) {
        info.path = m_entry.path;
        info.sha256 = m_entry.sha256;
        info.length = decision.total;
        mb_keep_staged = WriteWholeFile(ms_info_path, FormatResumeInfo(info));
    }
    if (!mb_keep_staged)
        RemoveAtExit(ms_part_path);
    return true;
}

// The body goes on behind the staged bytes, whose hash is taken up first.
bool ResourceFileDownloaderListener::ContinueStaged()
{
    mh_file.Reset(CreateFileA(ms_part_path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!mh_file) {
        LogFailure("CreateFileA", ms_part_path, GetLastError());
        return FailAttempt("the staged bytes cannot be opened", true);
    }
    if (FileSize(ms_part_path) != m_resume->from)
        return FailAttempt("the staged bytes changed", true);
    if (!HashStaged())
        return FailAttempt("the staged bytes cannot be read", true);
    mn_received = m_resume->from;
    mb_keep_staged = true;
    if (!RestFits())
        return false;
    MoveBar();
    return true;
}

bool ResourceFileDownloaderListener::HashStaged()
{
    const long long from = m_resume->from;
    const long long total = mn_total;
    CryptHashHandle kept = TakeStagedHash(ms_part_path, mh_file.Get(), from);
    if (kept) {
        m_hash.emplace(std::move(kept));
        LARGE_INTEGER end = {};
        if (!SetFilePointerEx(mh_file.Get(), end, nullptr, FILE_END)) {
            LogFailure("SetFilePointerEx", ms_part_path, GetLastError());
            return false;
        }
        Diagnostic("Resuming %s at byte %I64d of %I64d: hash kept\n", ms_file_path.c_str(), from, total);
        return true;
    }
    // Reading leaves the file at its end, where the body goes on.
    m_hash.emplace();
    Diagnostic("Resuming %s at byte %I64d of %I64d: staged bytes read again\n", ms_file_path.c_str(), from, total);
    return ReadFileBytes(mh_file.Get(), ms_part_path, from,
                         [this](const char* data, size_t size) { m_hash->Add(data, size); });
}

void ResourceFileDownloaderListener::KeepHashState()
{
    if (!m_hash || !mb_keep_staged || m_outcome != Outcome::kFailed)
        return;
    // Its last write is part of what identifies the file.
    CloseStaged();
    KeepStagedHash(ms_part_path, mn_received, m_hash->Suspend());
}

bool ResourceFileDownloaderListener::FailAttempt(const std::string& reason, bool drop)
{
    Diagnostic("Attempt at %s failed: %s\n", ms_file_path.c_str(), reason.c_str());
    CloseStaged();
    if (drop || !mb_keep_staged)
        DropStaged();
    mb_keep_staged = !drop && mb_keep_staged;
    m_outcome = Outcome::kFailed;
    Say(TextId::kFileFailed);
    return false;
}

bool ResourceFileDownloaderListener::RestFits()
{
    const bool known = mn_largest >= 0;
    // Read-ahead leaves the run a margin of its own besides the disk's, so
    // that files fetched ahead never take the room of the file the run is at.
    const std::uint64_t reserve = m_role == Role::kReadAhead ? disk_space::kLeastMargin : 0;
    const bool told = known ? QueryVolumeSpaceFor(g_installer->ms_install_dir,
                                                  ToUnsigned(mn_largest - mn_received) + reserve, m_volume)
                            : QueryVolumeSpace(g_installer->ms_install_dir, m_volume);
    if (!told)
        return true; // it cannot be told; a full disk still shows at the write
    mn_disk_bound = -1;
    if (known) {
        const std::uint64_t needed = disk_space::SaturatingAdd(
            disk_space::Needed(disk_space::OnDisk(ToUnsigned(mn_largest - mn_received), m_volume.cluster_bytes)),
            reserve);
        return needed <= m_volume.free_bytes || EndForDiskSpace(needed, m_volume.free_bytes);
    }
    // Without a length, the body may take what the disk has beyond its margin.
    const std::uint64_t margin =
        disk_space::SaturatingAdd(disk_space::Needed(m_volume.free_bytes) - m_volume.free_bytes, reserve);
    const std::uint64_t room = m_volume.free_bytes > margin ? m_volume.free_bytes - margin : 0;
    mn_disk_bound = mn_received + static_cast<std::int64_t>(room > INT64_MAX / 2 ? INT64_MAX / 2 : room);
    return true;
}

bool ResourceFileDownloaderListener::EndForDiskSpace(std::uint64_t needed, std::uint64_t free_bytes)
{
    CloseStaged();
    DropStaged();
    mb_keep_staged = false;
    Diagnostic("%s: %s\n", ms_file_path.c_str(), DiskSpaceRefusal(needed, free_bytes).c_str());
    // Read-ahead leaves the file to the run, which judges the disk again.
    if (m_role == Role::kReadAhead) {
        m_outcome = Outcome::kFailed;
        return false;
    }
    m_outcome = Outcome::kEndRun;
    ShowDiskSpaceRefusal(needed, free_bytes);
    return false;
}

bool ResourceFileDownloaderListener::OnRecv(const std::string& block)
{
    if (!Write(block))
        return false;
    if (m_hash)
        m_hash->Add(block.data(), block.size());
    mn_received += static_cast<std::int64_t>(block.size());
    MoveBar();
    return true;
}

bool ResourceFileDownloaderListener::Write(const std::string& block)
{
    const std::int64_t reached = mn_received + static_cast<std::int64_t>(block.size());
    if (mn_largest >= 0 && reached > mn_largest) {
        // The staged bytes cannot be the file: they go.
        Diagnostic("Attempt at %s failed: the body goes past %I64d bytes\n", ms_file_path.c_str(),
                   static_cast<long long>(mn_largest));
        mb_keep_staged = false;
        return false;
    }
    // The least the body would need is one byte past the room: what a block
    // brings beyond that depends only on how much one read took.
    if (mn_disk_bound >= 0 && reached > mn_disk_bound)
        return EndForDiskSpace(
            disk_space::Needed(disk_space::OnDisk(ToUnsigned(mn_disk_bound + 1), m_volume.cluster_bytes)),
            m_volume.free_bytes);
    DWORD written = 0;
    const bool wrote = mh_file && WriteFile(mh_file.Get(), block.data(), block.size(), &written, nullptr);
    if (wrote && written == block.size())
        return true;
    // A file that was never created has its line already; a short write to
    // a disk file means the disk is full.
    const DWORD error = wrote ? ERROR_DISK_FULL : GetLastError();
    if (mh_file)
        LogFailure("WriteFile", ms_part_path, error);
    if (mh_file && IsDiskFull(error)) {
        CloseStaged();
        DropStaged();
        VolumeSpace now;
        QueryVolumeSpace(g_installer->ms_install_dir, now);
        const std::int64_t wanted = mn_largest >= 0 ? mn_largest : reached;
        return EndForDiskSpace(disk_space::Needed(disk_space::OnDisk(ToUnsigned(wanted), now.cluster_bytes)),
                               now.free_bytes);
    }
    Say(TextId::kFileNotWritten);
    return false;
}

void ResourceFileDownloaderListener::OnFinished()
{
    // The last block's position always reaches the bar.
    MoveBar(true);
    // An empty body never writes: a target that could not even be created
    // must not pass for a finished file.
    if (!mh_file) {
        Say(TextId::kFileNotWritten);
        return;
    }
    if (m_role == Role::kReadAhead) {
        if (Seal())
            m_outcome = Outcome::kStaged;
        return;
    }
    if (!Commit())
        return;
    UnpackIfArchive();
    m_outcome = Outcome::kFinished;
}

void ResourceFileDownloaderListener::UnpackIfArchive()
{
    if (EndsWith(ms_file_path, ".7z")) {
        DebugMessage(kDebugLevel2, "OnFinished: Extract File");
        UnpackResource(ms_file_path, ms_display_name, ms_library_sha256);
    } else {
        DebugMessage(kDebugLevel2, "OnFinished: NOT Extract File");
    }
}

void UnpackResource(const std::string& archive_path, const std::string& display_name,
                    const std::string& library_sha256)
{
    g_dialog->SetStatusText(IDC_FILE_STATUS, PlayerText(TextId::kExtracting, {display_name}));
    const std::string& install_dir = g_installer->ms_install_dir;
    // A keyed program loads only the library its signed manifest vouches
    // for, never a copy an earlier run left in place.
    if (g_installer->mb_keyed && library_sha256.empty()) {
        Diagnostic("%s not unpacked: the manifest has no Extract.dll with a hash\n", archive_path.c_str());
        ShowPlayerMessage(TextId::kNoExtractLibrary);
        return;
    }
    UnpackArchive(archive_path, install_dir, install_dir, library_sha256);
}

bool ResourceFileDownloaderListener::Commit()
{
    if (!Seal())
        return false;
    if (!PlaceWhenFree())
        return false;
    ForgetAtExit(ms_part_path);
    if (mb_keep_staged)
        RemoveFile(ms_info_path);
    return true;
}

bool ResourceFileDownloaderListener::Seal()
{
    if (mn_largest >= 0 && mn_received != mn_largest) {
        return FailAttempt("the body ended after " + std::to_string(mn_received) + " of "
                               + std::to_string(mn_largest) + " bytes",
                           false);
    }
    // An installed copy is replaced only by bytes that are on the disk:
    // after a power cut the rename may survive without the data. A new file
    // goes without the cost; a re-run fetches it again.
    const bool replacing = GetFileAttributesA(ms_file_path.c_str()) != INVALID_FILE_ATTRIBUTES;
    if (replacing && !FlushFileBuffers(mh_file.Get())) {
        LogFailure("FlushFileBuffers", ms_part_path, GetLastError());
        return FailCommit();
    }
    // Closing hands the last bytes to the system: its failure is a failed
    // write.
    if (!CloseHandle(mh_file.Release())) {
        LogFailure("CloseHandle", ms_part_path, GetLastError());
        return FailCommit();
    }
    return CheckHash();
}

// The verified file waits for a program that holds the installed copy: the
// player decides, however long it takes, and nothing is fetched again.
bool ResourceFileDownloaderListener::PlaceWhenFree()
{
    for (;;) {
        switch (MoveIntoPlaceWhenFree(ms_part_path, ms_file_path)) {
        case Placement::kPlaced:
            return true;
        case Placement::kFailed:
            return FailCommit();
        case Placement::kHeld:
            break;
        }
        const std::string program = HoldingProgram(ms_file_path);
        Diagnostic("%s is held open by %s\n", ms_file_path.c_str(), program.empty() ? "a program" : program.c_str());
        const WideText text = program.empty() ? PlayerText(TextId::kFileHeld, {ms_file_path})
                                              : PlayerText(TextId::kFileHeldBy, {ms_file_path, program});
        if (ShowPlayerMessage(text, WideText(), MB_RETRYCANCEL | MB_ICONWARNING) != IDRETRY)
            break;
    }
    // Cancel ends the run as a file that failed every attempt does.
    DropStaged();
    m_outcome = Outcome::kEndRun;
    return false;
}

bool ResourceFileDownloaderListener::FailCommit()
{
    DropStaged();
    Say(TextId::kFileNotWritten);
    return false;
}

bool ResourceFileDownloaderListener::CheckHash()
{
    if (!m_hash)
        return true;
    const std::string actual = m_hash->Finish();
    if (actual == m_entry.sha256)
        return true;
    // Whoever altered the bytes must not see them run or unpacked, nor
    // continued: the next attempt starts from zero.
    DropStaged();
    Diagnostic("Checksum mismatch: %s expected %s actual %s\n", ms_file_path.c_str(), m_entry.sha256.c_str(),
               actual.empty() ? "(not computed)" : actual.c_str());
    Say(TextId::kChecksumMismatch, {ms_file_name});
    return false;
}

void ResourceFileDownloaderListener::CloseStaged() { mh_file.Reset(); }

void ResourceFileDownloaderListener::DropStaged()
{
    CloseStaged();
    RemoveFile(ms_part_path);
    RemoveFile(ms_info_path);
    ForgetAtExit(ms_part_path);
    ForgetStagedHash(ms_part_path);
}

void ResourceFileDownloaderListener::OnCanceled()
{
    CloseStaged();
    if (!mb_keep_staged)
        DropStaged();
    Say(TextId::kFileCanceled);
}

void ResourceFileDownloaderListener::OnError(const TransferError& error)
{
    CloseStaged();
    // The disk-space box has said it all, and the staged bytes are gone.
    if (m_outcome == Outcome::kEndRun)
        return;
    // A 416 says the staged bytes are not the start of the server's file.
    if (!mb_keep_staged || error.Is(TransferError::Kind::kHttpStatus, kRangeNotSatisfiable))
        DropStaged();
    Diagnostic("ResourceFileDownloaderListener::OnError(): %s: %s\n", ms_file_path.c_str(), error.Describe().c_str());
    Say(error.Is(TransferError::Kind::kOwn, TransferError::kProxyAuthRequired) ? TextId::kProxyCredentials
                                                                                : TextId::kFileFailed);
}
