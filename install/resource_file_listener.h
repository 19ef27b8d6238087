// Writes one resource file into the install folder block by block, moves the
// byte progress bar, checks the file's SHA-256 when its entry gives one, and
// unpacks the file when it is a ".7z" archive.
#pragma once

#include "base/unique_handle.h"
#include "net/downloader_listener.h"
#include "services/sha256_pipeline.h"

#include <optional>
#include <string>

struct ResourceEntry;

class ResourceFileDownloaderListener : public DownloaderListener {
public:
    // Creates the sub-folders and the (empty) target file, and shows the
    // display name in the file status line.
    explicit ResourceFileDownloaderListener(const ResourceEntry& entry);

    bool OnRecv(const std::string& block) override;
    void OnFinished() override;
    void OnCanceled() override;
    void OnError(const TransferError& error) override;

    bool Finished() const { return mb_finished; }

private:
    // False, with the file removed, its box shown and its log line, when the
    // entry has a hash that the received bytes do not match.
    bool CheckHash();

    FileHandle mh_file;
    std::string ms_file_path;
    std::string ms_file_name;
    std::string ms_display_name;
    std::string ms_expected_sha256;
    // Fed while the blocks are written, so the file is never read again;
    // it hashes beside the transfer.
    std::optional<Sha256Pipeline> m_hash;
    long long mn_received = 0;
    bool mb_finished = false;
};
