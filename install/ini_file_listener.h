// Collects the manifest's body and loads it into the installer's document once
// the transfer has finished.
#pragma once

#include "net/downloader_listener.h"

#include <cstddef>
#include <string>

class IniFileDownloaderListener : public DownloaderListener {
public:
    // A manifest is a short INI text: a longer body is a failed manifest
    // rather than a way to exhaust the memory of a 32-bit process.
    static const size_t kLargestManifest = size_t(1) << 20;

    bool OnRecv(const std::string& block) override;
    void OnFinished() override;
    void OnCanceled() override;
    void OnError(int error) override;

    // True once the manifest arrived whole and was loaded.
    bool Finished() const { return mb_finished; }

private:
    std::string ms_text;
    bool mb_finished = false;
};
