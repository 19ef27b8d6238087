// The installation procedure on the worker thread: language choice, settings,
// manifest, start report, caption and skin page; then the running-client
// check, registry entries, install folder, every listed file with retries,
// the uninstall record, uninstaller, shortcuts and uninstall entry, end
// report and the launch of the client.
#include "store/installer.h"

#include "base/diagnostics.h"
#include "base/code_page.h"
#include "base/failure_log.h"
#include "base/player_box.h"
#include "base/process_exit.h"
#include "install/addresses.h"
#include "install/client_registration.h"
#include "install/debug_message.h"
#include "install/file_delivery.h"
#include "install/ini_file_listener.h"
#include "install/manifest_rules.h"
#include "install/manifest_trust.h"
#include "install/refusal_box.h"
#include "install/registration_rules.h"
#include "install/window_channel.h"
#include "install/worker_thread.h"
#include "net/file_downloader.h"
#include "services/install_folders.h"
#include "services/registry_entries.h"
#include "services/running_program_check.h"
#include "services/text.h"
#include "store/registry_key.h"
#include "store/run_values.h"

#include <shellapi.h>

#include <utility>

#ifndef INSTALLER_SERVER
#define INSTALLER_SERVER "dl.karvelo.example"
#endif
#ifndef INSTALLER_REPORT_HOST
#define INSTALLER_REPORT_HOST "stats.karvelo.example"
#endif

namespace {

// After the launch: at least this pause, and at most the longer one while
// the end report is still loading.
const DWORD kLaunchPauseMs = 1000;
const DWORD kLongestReportWaitMs = 10000;

unsigned __stdcall RunInstaller(void* installer)
{
    static_cast<Installer*>(installer)->Run();
    return 0;
}

// Where the manifest comes from.
struct ManifestRequest {
    std::string host;
    std::string target;
    bool secure = false;
};

// Seeds the settings key and reads back what the run uses.
ManifestRequest ReadSettings(const Installer& installer)
{
    ManifestRequest request;
    RegistryKey settings(true, kSettingsKey);
    settings.SetDword("debug_level", 0, false);
    debug_level = static_cast<int>(settings.GetDword("debug_level"));
    settings.SetString("server", INSTALLER_SERVER, false);
    settings.SetString("crm_path", "dl", false);
    settings.SetString("scheme", installer.ms_default_scheme, false);
    settings.GetString("server", request.host);
    std::string scheme;
    request.secure = installer.mb_strict || IsHttpsScheme(settings.GetString("scheme", scheme));
    settings.SetDword("did", did, true);
    settings.SetDword("tag", tag, true);
    settings.SetDword("langId", langId, false);
    if (debug_level >= 1) {
        did = static_cast<int>(settings.GetDword("did"));
        tag = static_cast<int>(settings.GetDword("tag"));
    }
    std::string prefix;
    request.target = ManifestRequestTarget(settings.GetString("crm_path", prefix), did, tag, langId);
    return request;
}

// Fetches the manifest into the installer's document, and its text as it
// arrived (for the signature); false when it did not arrive whole (the
// listener has said so).
bool FetchManifest(const ManifestRequest& request, std::string& text)
{
    IniFileDownloaderListener listener;
    FileDownloader downloader(&listener, request.host, request.secure);
    DebugMessage(kDebugLevel1, request.target);
    downloader.OpenConnection(request.target);
    downloader.Start(true);
    text = listener.Text();
    return listener.Finished();
}

void RecordInstallerLocation(const std::string& brand)
{
    RegistryKey brand_key(true, brand);
    brand_key.SetString(kInstallerLocationValue, InstallerLocation(GetCommandLineA()), true);
    brand_key.SetDword(kTagValue, tag, true);
}

void LaunchClient(const std::string& install_dir)
{
    g_dialog->SetStatusText(IDC_FILE_STATUS, WideText());
    const std::string client = ClientPath(install_dir);
    // Values of 32 and below are errors; most are Win32 codes.
    const INT_PTR opened = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "open", client.c_str(), nullptr, install_dir.c_str(), SW_SHOWNORMAL));
    if (opened <= 32)
        LogFailure("ShellExecuteA", client, static_cast<DWORD>(opened));
    DebugMessage(kDebugLevel2, "Exec: " + client);
    Sleep(kLaunchPauseMs);
    g_dialog->WaitForReportPage(kLongestReportWaitMs - kLaunchPauseMs);
    EndProcessNow(0);
}

// The failure log has its line; the user learns why the run stopped.
void ShowOutOfMemory() { ShowPlayerMessage(TextId::kOutOfMemory); }

} // namespace

// Without its thread the window stays as it is, as the design has it;
// BeginThread has logged why.
void Installer::Start() { BeginThread(RunInstaller, this, ShowOutOfMemory); }

bool Installer::Report(int action)
{
    const std::string address = ReportAddress(INSTALLER_REPORT_HOST, did, action);
    if (address.empty())
        return false;
    g_dialog->LoadReportPage(address);
    return true;
}

void Installer::Run()
{
    // A keyed program trusts only signed manifests and, as the strict build,
    // only https pages in its panes.
    const ManifestKeyList keys = BuiltInManifestKeys();
    mb_keyed = keys.count > 0;
    const bool https_pages_only = mb_strict || mb_keyed;
    g_dialog->mb_https_pages_only = https_pages_only;
    g_dialog->SetCaption(PlayerText(TextId::kCasinoInstallation));
    g_dialog->PostApplicationMessage(WM_SHOW_LANGUAGES, 1);
    // A wait that fails would install in a language nobody chose.
    if (WaitForSingleObject(mh_language_event.Get(), INFINITE) != WAIT_OBJECT_0) {
        LogFailure("WaitForSingleObject", "language choice", GetLastError());
        return;
    }
    g_dialog->PostApplicationMessage(WM_SHOW_LANGUAGES, 0);
    // From here on the player reads the chosen language.
    g_dialog->SetCaption(PlayerText(TextId::kCasinoInstallation));

    // A manifest that did not arrive whole must not become an empty
    // installation with a false report and a launch of nothing.
    std::string arrived;
    if (!FetchManifest(ReadSettings(*this), arrived))
        return;
    // Before every other rule: what is not signed by a built-in key is not
    // read any further.
    const std::string untrusted = mb_keyed ? ManifestTrustRefusal(arrived, m_manifest, keys) : std::string();
    if (!untrusted.empty()) {
        Diagnostic("Manifest refused: %s\n", untrusted.c_str());
        ShowRefusal(untrusted);
        return;
    }

    // A manifest that breaks a rule is refused before anything is sent or
    // written: no report, no registry value, no folder.
    EntryDemands demands;
    demands.hash = mb_strict;
    const std::string refusal = ManifestRefusal(m_manifest, demands, SystemNarrowNames());
    if (!refusal.empty()) {
        Diagnostic("Manifest refused: %s\n", refusal.c_str());
        ShowRefusal(refusal);
        return;
    }
    if (mb_keyed)
        RecordManifestSerial(m_manifest, keys);
    const std::string brand = InstallBrandName(m_manifest);

    const std::string manifest_brand = m_manifest.GetValue("GENERAL", "BRAND_NAME");
    // Whether the folder and the brand's key were there before is known only
    // until the run makes them.
    RegistrationStart registration = StartRegistration(InstallDirectory(brand), brand, m_manifest);
    {
        RegistryKey brand_key(true, manifest_brand);
        if (brand_key.GetDword(kProgressValue) != 1)
            Report(1);
    }
    std::string manifest_text;
    DebugMessage(kDebugLevel1, m_manifest.Serialize(manifest_text));

    std::string skin = ManifestSkinPage(m_manifest);
    switch (JudgeSkinPage(skin, https_pages_only)) {
    case SkinPageVerdict::kShown:
        break;
    case SkinPageVerdict::kControlByte:
        Diagnostic("Skin page not shown, its address holds a control byte: %s\n", skin.c_str());
        skin.clear();
        break;
    case SkinPageVerdict::kNotHttps:
        Diagnostic("Skin page not shown, a strict or keyed build shows only https pages: %s\n", skin.c_str());
        skin.clear();
        break;
    }
    DebugMessage(kDebugLevel1, "skin_url: " + skin);
    g_dialog->SetCaption(PlayerText(TextId::kBrandInstallation, {brand}));
    g_dialog->ms_skin_page_url = skin;
    g_dialog->PostApplicationMessage(WM_SHOW_SKIN_PAGE, 0);

    CheckProgramRunning(brand);
    WriteRegistryEntries(*this);
    RecordInstallerLocation(brand);
    MakeInstallDirectory(brand, ms_install_dir);
    KeepCreatedFolder(ms_install_dir, registration);
    DebugMessage(kDebugLevel1, "casino_directory:" + ms_install_dir);

    RegistryKey progress_key(true, manifest_brand);
    progress_key.SetDword(kProgressValue, 1, true);
    if (!DeliverFiles(*this))
        return;
    RegisterClient(*this, brand, std::move(registration));
    if (progress_key.GetDword(kProgressValue) == 1) {
        Report(2);
        progress_key.SetDword(kProgressValue, 2, true);
    }
    LaunchClient(ms_install_dir);
}
