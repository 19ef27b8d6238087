#include "install/ini_file_listener.h"

#include "base/diagnostics.h"
#include "base/player_box.h"
#include "install/debug_message.h"
#include "install/manifest_rules.h"
#include "store/installer.h"

bool IniFileDownloaderListener::OnRecv(const std::string& block)
{
    if (block.size() > kLargestManifest - ms_text.size()) {
        Diagnostic("Manifest refused: longer than %lu bytes\n", static_cast<unsigned long>(kLargestManifest));
        return false;
    }
    ms_text += block;
    return true;
}

void IniFileDownloaderListener::OnFinished()
{
    DebugMessage(kDebugLevel2, ms_text);
    g_installer->m_manifest.Parse(ms_text);
    mb_finished = true;
}

void IniFileDownloaderListener::OnCanceled() { ShowPlayerMessage(TextId::kManifestCanceled); }

void IniFileDownloaderListener::OnError(const TransferError& error)
{
    Diagnostic("IniFileDownloaderListener::OnError(): %s\n", error.Describe().c_str());
    // A proxy that wants credentials is no failure of the manifest: the user
    // learns what it wants.
    ShowPlayerMessage(error.Is(TransferError::Kind::kOwn, TransferError::kProxyAuthRequired)
                          ? TextId::kProxyCredentials
                          : TextId::kManifestFailed);
}
