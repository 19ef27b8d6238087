#include "install/client_registration.h"

#include "base/player_texts.h"
#include "base/diagnostics.h"
#include "base/module_path.h"
#include "install/registration_rules.h"
#include "services/file_placement.h"
#include "services/folder_tree.h"
#include "services/install_folders.h"
#include "services/shortcut_file.h"
#include "services/text.h"
#include "services/uninstall_entry.h"
#include "services/whole_file.h"
#include "store/installer.h"

#include <windows.h>
#include <shlobj.h>

#include <limits>

namespace {

// A record lists a line for each file: far more than any client has.
const size_t kLongestRecord = size_t(16) << 20;

std::string ShortcutIn(int csidl, const char* csidl_name, const std::string& brand)
{
    const std::string folder = ShellFolder(csidl, csidl_name);
    return folder.empty() ? std::string() : folder + "\\" + brand + ".lnk";
}

// A shortcut that is asked for is written afresh; one that is not goes if
// it is ours.
void PlaceShortcut(const std::string& link, bool wanted, const std::string& install_dir)
{
    if (link.empty())
        return;
    const std::string client = ClientPath(install_dir);
    if (wanted)
        WriteShortcut(link, client, install_dir);
    else
        RemoveShortcutTo(link, client);
}

void PlaceShortcuts(const IniFile& manifest, const std::string& brand, const std::string& install_dir)
{
    std::vector<std::string> unknown;
    const ShortcutKinds kinds = ReadShortcutKinds(manifest, unknown);
    for (const std::string& word : unknown)
        Diagnostic("SHORTCUTS: \"%s\" is neither startmenu, desktop nor none; ignored\n", word.c_str());
    PlaceShortcut(StartMenuShortcut(brand), kinds.start_menu, install_dir);
    PlaceShortcut(DesktopShortcut(brand), kinds.desktop, install_dir);
}

// The running program, copied as uninstall.exe; false when none is there.
// Run from there itself (an uninstall.exe started without its switch), it
// is in place already.
bool PlaceUninstaller(const std::string& install_dir)
{
    const std::string uninstaller = UninstallerPath(install_dir);
    const std::string program = ModulePath();
    if (AsciiUpper(program) != AsciiUpper(uninstaller) && PlaceCopy(program, uninstaller))
        return true;
    return GetFileAttributesA(uninstaller.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Today()
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return InstallDateText(now.wYear, now.wMonth, now.wDay);
}

std::uint32_t KibIn(const std::string& folder)
{
    const std::uint64_t kib = (FolderTreeBytes(folder) + 1023) / 1024;
    return kib > std::numeric_limits<std::uint32_t>::max() ? std::numeric_limits<std::uint32_t>::max()
                                                            : static_cast<std::uint32_t>(kib);
}

} // namespace

std::string RecordPath(const std::string& install_dir)
{
    return install_dir + "\\" + uninstall_record::kRecordName;
}

std::string UninstallerPath(const std::string& install_dir)
{
    return install_dir + "\\" + uninstall_record::kUninstallerName;
}

bool ReadUninstallRecord(const std::string& install_dir, UninstallRecord& record)
{
    std::string text;
    const std::string path = RecordPath(install_dir);
    if (!ReadWholeFile(path, kLongestRecord, text) || !ParseUninstallRecord(text, record)) {
        record = UninstallRecord();
        return false;
    }
    for (const std::string& refused : record.refused)
        Diagnostic("%s lists \"%s\", which leaves the folder or names the uninstaller; ignored\n", path.c_str(),
                   refused.c_str());
    return true;
}

UninstallRecord StartUninstallRecord(const std::string& install_dir)
{
    UninstallRecord record;
    if (!ReadUninstallRecord(install_dir, record))
        record.created = !DirectoryExists(install_dir.c_str());
    // The uninstaller asks in the language of the latest install.
    record.language = PlayerLanguage();
    return record;
}

void KeepCreatedFolder(const std::string& install_dir, const UninstallRecord& record)
{
    if (record.created && GetFileAttributesA(RecordPath(install_dir).c_str()) == INVALID_FILE_ATTRIBUTES)
        PlaceText(RecordPath(install_dir), FormatUninstallRecord(record));
}

void RegisterClient(const Installer& installer, const std::string& brand, UninstallRecord record)
{
    const std::string& install_dir = installer.ms_install_dir;
    for (const std::string& file : PlacedFiles(installer.m_manifest))
        AddRecordedFile(record, file);
    PlaceText(RecordPath(install_dir), FormatUninstallRecord(record));
    const bool has_uninstaller = PlaceUninstaller(install_dir);
    PlaceShortcuts(installer.m_manifest, brand, install_dir);
    if (!WantsUninstallEntry(installer.m_manifest))
        return;
    // An entry whose uninstaller is missing would offer what cannot run.
    if (!has_uninstaller) {
        Diagnostic("No uninstall entry for %s: %s is missing\n", brand.c_str(), UninstallerPath(install_dir).c_str());
        return;
    }
    UninstallEntry entry = UninstallEntryTexts(installer.m_manifest, brand, install_dir);
    entry.install_date = Today();
    entry.estimated_kib = KibIn(install_dir);
    WriteUninstallEntry(UninstallEntryKey(brand), entry);
}

std::string StartMenuShortcut(const std::string& brand) { return ShortcutIn(CSIDL_PROGRAMS, "CSIDL_PROGRAMS", brand); }

std::string DesktopShortcut(const std::string& brand)
{
    return ShortcutIn(CSIDL_DESKTOPDIRECTORY, "CSIDL_DESKTOPDIRECTORY", brand);
}
