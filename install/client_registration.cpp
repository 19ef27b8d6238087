#include "install/client_registration.h"

#include "base/diagnostics.h"
#include "base/module_path.h"
#include "install/registration_rules.h"
#include "services/file_placement.h"
#include "services/folder_tree.h"
#include "services/install_folders.h"
#include "services/pending_deletions.h"
#include "services/registry_entry.h"
#include "services/shortcut_file.h"
#include "services/text.h"
#include "services/uninstall_entry.h"
#include "services/whole_file.h"
#include "store/installer.h"
#include "store/registry_key.h"

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

// A shortcut that is asked for is written afresh unless another program's
// stands there (one that points elsewhere, or no shortcut at all); one that
// is not asked for goes if it is ours.
void PlaceShortcut(const std::string& link, bool wanted, const std::string& install_dir)
{
    if (link.empty())
        return;
    const std::string client = ClientPath(install_dir);
    if (!wanted) {
        RemoveShortcutTo(link, client);
        return;
    }
    if (GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES
        && AsciiUpper(ShortcutTarget(link)) != AsciiUpper(client)) {
        Diagnostic("%s is not a shortcut to %s; left as it is\n", link.c_str(), client.c_str());
        return;
    }
    WriteShortcut(link, client, install_dir);
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

// True when the folder and everything directly in it wait for deletion at
// the next restart: what an uninstall of ours leaves.
bool IsUninstallLeftover(const std::string& install_dir)
{
    std::set<std::string> pending;
    for (const std::string& path : PendingDeletions())
        pending.insert(AsciiUpper(path));
    if (pending.count(AsciiUpper(install_dir)) == 0)
        return false;
    const bool leftover
        = FolderHoldsOnly(install_dir, [&pending](const std::string& path) { return pending.count(AsciiUpper(path)) > 0; });
    if (leftover)
        Diagnostic("%s holds only what an uninstall left to the next restart; it counts as created\n",
                   install_dir.c_str());
    return leftover;
}

bool HoldsUninstallFile(const std::string& install_dir)
{
    return GetFileAttributesA(UninstallerPath(install_dir).c_str()) != INVALID_FILE_ATTRIBUTES
        || GetFileAttributesA(RecordPath(install_dir).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A restart after an uninstall must not delete what this run places.
void TakeBackPendingDeletions(const std::set<std::string>& placed_paths)
{
    bool any = false;
    for (const std::string& path : PendingDeletions())
        any = any || placed_paths.count(AsciiUpper(path)) > 0;
    if (any)
        CancelPendingDeletions([&placed_paths](const std::string& path) {
            const bool placed = placed_paths.count(AsciiUpper(path)) > 0;
            if (placed)
                Diagnostic("Pending deletion of %s taken out: this run places it\n", path.c_str());
            return placed;
        });
}

// The manifest's REG entries go into the brand's key only when the manifest
// names the brand; only those the uninstaller may take out again.
void RecordRegistryEntries(const IniFile& manifest, const std::string& brand, UninstallRecord& record)
{
    if (manifest.GetValue("GENERAL", "BRAND_NAME") != brand)
        return;
    std::vector<std::string> keys, values;
    manifest.GetSection("REG", keys, values);
    RegistryEntry entry;
    for (size_t i = 0; i < keys.size(); ++i)
        if (ParseRegistryEntry(keys[i], values[i], entry))
            AddRecordedValue(record, keys[i]);
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

RegistrationStart StartRegistration(const std::string& install_dir, const std::string& brand,
                                    const IniFile& manifest)
{
    RegistrationStart start;
    UninstallRecord& record = start.record;
    const std::vector<std::string> placed = PlacedFiles(manifest);
    start.placed_paths = {AsciiUpper(install_dir), AsciiUpper(RecordPath(install_dir)),
                          AsciiUpper(UninstallerPath(install_dir))};
    for (const std::string& file : placed)
        start.placed_paths.insert(AsciiUpper(install_dir + "\\" + file));
    if (!ReadUninstallRecord(install_dir, record)) {
        record.key_existed = SoftwareKeyExists(brand);
        record.created = !DirectoryExists(install_dir.c_str()) || IsUninstallLeftover(install_dir);
        start.foreign_folder = !record.created && HoldsUninstallFile(install_dir);
    }
    // Another program's uninstaller and record stay as they are, a deletion
    // of them at the restart too.
    if (start.foreign_folder) {
        start.placed_paths.erase(AsciiUpper(RecordPath(install_dir)));
        start.placed_paths.erase(AsciiUpper(UninstallerPath(install_dir)));
    }
    // In a folder that was there before, a file that is there already and
    // that no run of ours recorded was there before the first run too.
    if (!record.created)
        for (const std::string& file : placed)
            if (!IsRecordedFile(record, file)
                && GetFileAttributesA((install_dir + "\\" + file).c_str()) != INVALID_FILE_ATTRIBUTES)
                start.there_before.insert(AsciiUpper(file));
    return start;
}

void KeepCreatedFolder(const std::string& install_dir, const RegistrationStart& start)
{
    if (start.record.created && GetFileAttributesA(RecordPath(install_dir).c_str()) == INVALID_FILE_ATTRIBUTES)
        PlaceText(RecordPath(install_dir), FormatUninstallRecord(start.record));
    // Only now that the run goes on in the folder: a run that stops before
    // it leaves the folder to the restart, as the uninstall meant.
    if (DirectoryExists(install_dir.c_str()))
        TakeBackPendingDeletions(start.placed_paths);
}

bool IsOwnUninstallEntry(const std::string& brand, const std::string& install_dir)
{
    return AsciiUpper(ReadSoftwareString(UninstallEntryKey(brand), "UninstallString"))
        == AsciiUpper(UninstallCommand(install_dir));
}

void RegisterClient(const Installer& installer, const std::string& brand, RegistrationStart start)
{
    const std::string& install_dir = installer.ms_install_dir;
    PlaceShortcuts(installer.m_manifest, brand, install_dir);
    if (start.foreign_folder) {
        Diagnostic("%s holds another program's %s or %s: no uninstaller of ours is placed or registered there\n",
                   install_dir.c_str(), uninstall_record::kUninstallerName, uninstall_record::kRecordName);
        return;
    }
    UninstallRecord& record = start.record;
    for (const std::string& file : PlacedFiles(installer.m_manifest))
        if (start.there_before.count(AsciiUpper(file)) == 0)
            AddRecordedFile(record, file);
    RecordRegistryEntries(installer.m_manifest, brand, record);
    const std::string entry_key = UninstallEntryKey(brand);
    const bool foreign_entry = SoftwareKeyExists(entry_key) && !IsOwnUninstallEntry(brand, install_dir);
    record.entry = WantsUninstallEntry(installer.m_manifest) && !foreign_entry;
    const bool recorded = PlaceText(RecordPath(install_dir), FormatUninstallRecord(record));
    const bool has_uninstaller = PlaceUninstaller(install_dir);
    // A client that registers its own entry: any entry under the brand's
    // name is its.
    if (!WantsUninstallEntry(installer.m_manifest))
        return;
    if (foreign_entry) {
        Diagnostic("HKCU\\Software\\%s is another program's uninstall entry; left as it is\n", entry_key.c_str());
        return;
    }
    // An entry whose uninstaller is missing, or that has no record to go
    // by, would offer what cannot run or would remove nothing.
    if (!has_uninstaller || !recorded) {
        Diagnostic("No uninstall entry for %s: %s is missing\n", brand.c_str(),
                   (recorded ? UninstallerPath(install_dir) : RecordPath(install_dir)).c_str());
        return;
    }
    UninstallEntry entry = UninstallEntryTexts(installer.m_manifest, brand, install_dir);
    entry.install_date = Today();
    entry.estimated_kib = KibIn(install_dir);
    WriteUninstallEntry(entry_key, entry);
}

std::string StartMenuShortcut(const std::string& brand) { return ShortcutIn(CSIDL_PROGRAMS, "CSIDL_PROGRAMS", brand); }

std::string DesktopShortcut(const std::string& brand)
{
    return ShortcutIn(CSIDL_DESKTOPDIRECTORY, "CSIDL_DESKTOPDIRECTORY", brand);
}
