// Writes one resource file block by block under a temporary name beside its
// target (NAME.part), moves the byte progress bar, and moves the file into
// place only once it is complete and, where its entry gives one, its SHA-256
// matches; then unpacks it when it is a ".7z" archive. Any other ending
// leaves the installed file as it was. A file with a hash keeps its staged
// bytes after a failed attempt, with NAME.part.info, so that the next
// attempt, or a later run, asks only for the rest.
//
// A read-ahead transfer (fetching a later file while the run installs an
// earlier one) writes under the same rules but shows nothing, neither line,
// bar nor box, and ends at a complete, verified NAME.part, which the run
// places when it reaches the file.
#pragma once

#include "base/player_texts.h"
#include "base/unique_handle.h"
#include "install/delivery/delivery_rules.h"
#include "install/trust/resource_entry.h"
#include "net/downloader_listener.h"
#include "services/sha256_pipeline.h"
#include "services/volume_space.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>

class ResourceFileDownloaderListener : public DownloaderListener {
public:
    enum class Outcome {
        kFailed,   // the attempt failed; another may follow
        kFinished, // the file is in place (and unpacked, for an archive)
        kEndRun,   // the run must end now: a full disk, or a held file given up
        kStaged,   // read ahead: complete and verified in NAME.part
    };
    enum class Role {
        kRun,       // the run's own attempt, shown to the player
        kReadAhead, // ahead of the run, unseen; a full disk only fails it
    };

    // Creates the sub-folders, shows the display name in the file status
    // line (the run's role), and looks at what an earlier attempt left
    // staged. `library_sha256` is the hash of Extract.dll's entry, for
    // archives.
    ResourceFileDownloaderListener(const ResourceEntry& entry, const std::string& library_sha256,
                                   Role role = Role::kRun);
    // Staged bytes kept for the next attempt keep their hash state too.
    ~ResourceFileDownloaderListener() override;

    // The run reaches a file whose read-ahead copy of `size` bytes is
    // complete and verified: shows it as fetched, moves it into place and
    // unpacks an archive. kFailed, its box shown, when it cannot be placed.
    static Outcome PlaceStaged(const ResourceEntry& entry, const std::string& library_sha256, std::int64_t size);
    // Shows in the file status line that the run is at `entry`.
    static void Announce(const ResourceEntry& entry);
    // Removes what was staged for `entry` (NAME.part and NAME.part.info).
    static void RemoveStaged(const ResourceEntry& entry);

    // The rest of the staged file to ask for, or null for the whole file.
    const RangeRequest* Resume() const { return m_resume ? &*m_resume : nullptr; }
    // Takes the answer's head before its body. False when the attempt ends
    // here, its box shown.
    bool Begin(const ResponseHead& head);

    bool OnRecv(const std::string& block) override;
    void OnFinished() override;
    void OnCanceled() override;
    void OnError(const TransferError& error) override;

    Outcome GetOutcome() const { return m_outcome; }
    bool Finished() const { return m_outcome == Outcome::kFinished; }
    // The whole file's length as the answer gives it, or -1.
    std::int64_t Total() const { return mn_total; }
    // Bytes of the file on disk so far.
    std::int64_t Received() const { return mn_received; }
    // The bytes still to come when the file's length is known, or -1.
    std::int64_t Rest() const { return mn_largest >= 0 ? mn_largest - mn_received : -1; }

private:
    struct PlaceTag {};
    ResourceFileDownloaderListener(const ResourceEntry& entry, const std::string& library_sha256, PlaceTag);
    // The target's paths and sub-folders; the run's role shows the name.
    void Locate();
    // The run's role shows the box; read-ahead shows nothing.
    void Say(TextId text, std::initializer_list<std::string> arguments = {}) const;
    void MoveBar(bool final = false) const;
    // What an earlier attempt left: the rest to ask for, when it belongs to
    // this entry and can be continued.
    void FindStagedBytes();
    bool StartFromZero(const BodyDecision& decision, const ResponseHead& head);
    bool ContinueStaged();
    // Starts the hash of the staged bytes: from the state a failed attempt
    // of this run left, else by reading them back.
    bool HashStaged();
    // After a failed attempt that keeps the staged bytes.
    void KeepHashState();
    // Fails the attempt with the design's box; the staged bytes go unless
    // they may be resumed.
    bool FailAttempt(const std::string& reason, bool drop);
    // The disk cannot take the rest of the file: the box, and the run ends.
    bool EndForDiskSpace(std::uint64_t needed, std::uint64_t free_bytes);
    // False, with the disk-space box, when the rest of the file does not fit.
    bool RestFits();
    bool Write(const std::string& block);
    // Closes the staged file, checks its length and hash, and moves it into
    // place; false with the box shown otherwise.
    bool Commit();
    // Commit short of the move: the staged file complete, on the disk when
    // it is to replace an installed copy, closed and verified.
    bool Seal();
    // Moves the verified file into place, waiting for a program that holds
    // the target, and asking the player while it holds it; false when the
    // move failed (its box shown) or the player cancelled (kEndRun).
    bool PlaceWhenFree();
    void UnpackIfArchive();
    // Drops the staged bytes and shows the failed write's box.
    bool FailCommit();
    bool CheckHash();
    void DropStaged();
    void CloseStaged();

    ResourceEntry m_entry;
    std::string ms_library_sha256;
    Role m_role = Role::kRun;
    FileHandle mh_file;
    std::string ms_file_path;
    std::string ms_part_path;
    std::string ms_info_path;
    std::string ms_file_name;
    std::string ms_display_name;
    std::optional<RangeRequest> m_resume;
    // The staged file's length as its first answer gave it.
    std::int64_t mn_known_total = -1;
    std::int64_t mn_total = -1;
    // The most bytes the file may reach; -1 when only the disk bounds it.
    std::int64_t mn_largest = -1;
    // Without a known length, the bytes the disk can take beyond its margin.
    std::int64_t mn_disk_bound = -1;
    VolumeSpace m_volume;
    // Fed while the blocks are written, so the file is never read again;
    // it hashes beside the transfer.
    std::optional<Sha256Pipeline> m_hash;
    // Bytes of the file on disk so far, those of an earlier attempt included.
    std::int64_t mn_received = 0;
    // The staged bytes stay after a failure, for the next attempt.
    bool mb_keep_staged = false;
    Outcome m_outcome = Outcome::kFailed;
};

// Unpacks the ".7z" resource at `archive_path` into the install folder, its
// display name in the file status line. The archive is deleted only once its
// last entry is in place: an archive found in place later is one whose
// unpacking did not finish.
void UnpackResource(const std::string& archive_path, const std::string& display_name,
                    const std::string& library_sha256);
