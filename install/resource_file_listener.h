// Writes one resource file into the install folder block by block, moves the
// byte progress bar, and unpacks the file when it is a ".7z" archive.
#pragma once

#include "base/unique_handle.h"
#include "net/downloader_listener.h"

#include <string>

class ResourceFileDownloaderListener : public DownloaderListener {
public:
    // Creates the sub-folders and the (empty) target file, and shows the
    // display name in the file status line.
    ResourceFileDownloaderListener(const std::string& request_path, const std::string& sub_folder,
                                   const std::string& display_name);

    bool OnRecv(const std::string& block) override;
    void OnFinished() override;
    void OnCanceled() override;
    void OnError(int error) override;

    bool Finished() const { return mb_finished; }

private:
    FileHandle mh_file;
    std::string ms_file_path;
    std::string ms_display_name;
    long long mn_received = 0;
    bool mb_finished = false;
};
