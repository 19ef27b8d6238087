// Collects the manifest's body and loads it into the installer's document once
// the transfer has finished.
#pragma once

#include "net/downloader_listener.h"

#include <string>

class IniFileDownloaderListener : public DownloaderListener {
public:
    bool OnRecv(const std::string& block) override;
    void OnFinished() override;
    void OnCanceled() override;
    void OnError(const TransferError& error) override;

    // True once the manifest arrived whole and was loaded.
    bool Finished() const { return mb_finished; }
    // The manifest's text as it arrived, for a keyed build's signature check.
    const std::string& Text() const { return ms_text; }

private:
    std::string ms_text;
    bool mb_finished = false;
};
