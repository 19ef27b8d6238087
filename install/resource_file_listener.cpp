#include "install/resource_file_listener.h"

#include "base/diagnostics.h"
#include "base/failure_log.h"
#include "base/owner_window.h"
#include "install/debug_message.h"
#include "install/resource_entry.h"
#include "install/window_channel.h"
#include "services/archive_unpacker.h"
#include "services/install_folders.h"
#include "services/text.h"
#include "store/installer.h"

ResourceFileDownloaderListener::ResourceFileDownloaderListener(const ResourceEntry& entry)
    : ms_file_name(ResourceFileName(entry.path)), ms_display_name(entry.display_name),
      ms_expected_sha256(entry.sha256)
{
    const std::string& install_dir = g_installer->ms_install_dir;
    CreateDirectories(install_dir, entry.sub_folder);
    ms_file_path = ResourceFilePath(install_dir, entry);
    if (!ms_expected_sha256.empty())
        m_hash.emplace();
    DebugMessage(kDebugLevel2, "file_name " + ms_file_path);
    g_dialog->SetStatusText(IDC_FILE_STATUS, "Downloading: " + ms_display_name);
    mh_file.Reset(CreateFileA(ms_file_path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_RANDOM_ACCESS, nullptr));
    // Shows at the first write, as the design has it; logged now, with its code.
    if (!mh_file)
        LogFailure("CreateFileA", ms_file_path, GetLastError());
}

bool ResourceFileDownloaderListener::OnRecv(const std::string& block)
{
    DWORD written = 0;
    const bool wrote = mh_file && WriteFile(mh_file.Get(), block.data(), block.size(), &written, nullptr);
    if (!wrote || written != block.size()) {
        // A file that was never created has its line already; a short
        // write to a disk file means the disk is full.
        if (mh_file)
            LogFailure("WriteFile", ms_file_path, wrote ? ERROR_DISK_FULL : GetLastError());
        ShowMessage("Error in ResourceFileDownloaderListener::OnRecv()");
        return false;
    }
    if (m_hash)
        m_hash->Add(block.data(), block.size());
    mn_received += written;
    g_dialog->SetProgressPos(IDC_FILE_PROGRESS, ClampToInt(mn_received / 1024));
    return true;
}

void ResourceFileDownloaderListener::OnFinished()
{
    // The last block's position always reaches the bar.
    g_dialog->SetProgressPos(IDC_FILE_PROGRESS, ClampToInt(mn_received / 1024), true);
    // An empty body never writes: a target that could not even be created
    // must not pass for a finished file.
    if (!mh_file) {
        ShowMessage("Error in ResourceFileDownloaderListener::OnRecv()");
        return;
    }
    mh_file.Reset();
    if (!CheckHash())
        return;
    if (EndsWith(ms_file_path, ".7z")) {
        g_dialog->SetStatusText(IDC_FILE_STATUS, "Extracting: " + ms_display_name);
        DebugMessage(kDebugLevel2, "OnFinished: Extract File");
        const std::string& install_dir = g_installer->ms_install_dir;
        UnpackArchive(ms_file_path, install_dir, install_dir);
    } else {
        DebugMessage(kDebugLevel2, "OnFinished: NOT Extract File");
    }
    mb_finished = true;
}

bool ResourceFileDownloaderListener::CheckHash()
{
    if (!m_hash)
        return true;
    const std::string actual = m_hash->Finish();
    if (actual == ms_expected_sha256)
        return true;
    // Whoever altered the file must not see it run or unpacked.
    if (!DeleteFileA(ms_file_path.c_str()))
        LogFailure("DeleteFileA", ms_file_path, GetLastError());
    Diagnostic("Checksum mismatch: %s expected %s actual %s\n", ms_file_path.c_str(), ms_expected_sha256.c_str(),
               actual.empty() ? "(not computed)" : actual.c_str());
    ShowMessage("Checksum mismatch: " + ms_file_name);
    return false;
}

void ResourceFileDownloaderListener::OnCanceled()
{
    mh_file.Reset();
    ShowMessage("ResourceFileDownloaderListener::OnCanceled()");
}

void ResourceFileDownloaderListener::OnError(const TransferError& error)
{
    mh_file.Reset();
    Diagnostic("ResourceFileDownloaderListener::OnError(): %s: %s\n", ms_file_path.c_str(), error.Describe().c_str());
    ShowMessage("ResourceFileDownloaderListener::OnError()");
}
