// The uninstaller's run: where it stands, the question, the running-client
// check, then what the record says is the installer's: the install folder
// (when the installer created it) or the recorded files, the shortcuts of
// ours, the brand's key (or only the values written into it) and our own
// uninstall entry; uninstall.exe itself, moved to a name of its own, and the
// folder it leaves, at the next restart. Without a record nothing goes.
#include "install/uninstaller_run.h"

#include "base/code_page.h"
#include "base/diagnostics.h"
#include "base/failure_log.h"
#include "base/module_path.h"
#include "base/player_box.h"
#include "base/unique_handle.h"
#include "install/client_registration.h"
#include "install/manifest_rules.h"
#include "install/registration_rules.h"
#include "services/folder_tree.h"
#include "services/install_folders.h"
#include "services/registry_entry.h"
#include "services/running_program_check.h"
#include "services/shortcut_file.h"
#include "services/text.h"
#include "store/registry_key.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

// Tries names until one is free; each new name depends on the time and the
// process, so two uninstalls in the same folder do not meet.
const int kUniqueNameTries = 100;

// The path with every short (8.3) name in it made long; empty when it
// cannot be (logged).
std::string LongPath(const std::string& path)
{
    std::string long_path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = GetLongPathNameA(path.c_str(), &long_path[0], static_cast<DWORD>(long_path.size()));
        if (length == 0) {
            LogFailure("GetLongPathNameA", path, GetLastError());
            return std::string();
        }
        if (length < long_path.size()) {
            long_path.resize(length);
            return long_path;
        }
        long_path.resize(length);
    }
}

// The last name of a path as the file system spells it: the brand's window
// title and key are compared in that spelling, whatever letter case started
// the program. A folder that is a link gives none: emptying it would follow
// the link out of Program Files.
std::string StoredName(const std::string& path)
{
    WIN32_FIND_DATAA data;
    FindHandle find(FindFirstFileA(path.c_str(), &data));
    if (!find) {
        LogFailure("FindFirstFileA", path, GetLastError());
        return std::string();
    }
    return (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ? std::string() : data.cFileName;
}

// The brand when the program stands as <Program Files>\<brand>\uninstall.exe,
// with `install_dir` computed again from it; empty otherwise.
std::string LocateBrand(std::string& install_dir)
{
    const std::string program = LongPath(ModulePath());
    const std::string::size_type slash = program.find_last_of('\\');
    if (slash == std::string::npos
        || AsciiUpper(program.substr(slash + 1)) != AsciiUpper(uninstall_record::kUninstallerName))
        return std::string();
    const std::string folder = program.substr(0, slash);
    const std::string brand = StoredName(folder);
    // Judged as the installer judged it, names converted in the system's code page.
    if (!IsSafeBrand(brand, SystemNarrowNames()))
        return std::string();
    install_dir = InstallDirectory(brand);
    return AsciiUpper(LongPath(install_dir)) == AsciiUpper(folder) ? brand : std::string();
}

// The recorded files of a folder that was there before, and the record.
void RemoveRecordedFiles(const std::string& install_dir, const UninstallRecord& record,
                         std::vector<std::string>& left)
{
    for (const std::string& file : record.files) {
        const std::string path = install_dir + "\\" + file;
        if (!RemoveFile(path))
            left.push_back(path);
    }
    if (!RemoveFile(RecordPath(install_dir)))
        left.push_back(RecordPath(install_dir));
}

void RemoveShortcut(const std::string& link, const std::string& install_dir, std::vector<std::string>& left)
{
    if (!link.empty() && !RemoveShortcutTo(link, ClientPath(install_dir)))
        left.push_back(link);
}

void RemoveKey(const std::string& key_name, std::vector<std::string>& left)
{
    if (!DeleteSoftwareKey(key_name))
        left.push_back("HKCU\\Software\\" + key_name);
}

void RemoveValue(const std::string& key_name, const std::string& name, std::vector<std::string>& left)
{
    if (!DeleteSoftwareValue(key_name, name))
        left.push_back("HKCU\\Software\\" + key_name + " " + name);
}

// The brand's key when the installer created it; otherwise only the values
// the installer wrote into it, its own and the recorded REG entries.
void RemoveBrandKey(const std::string& brand, const UninstallRecord& record, std::vector<std::string>& left)
{
    if (!record.key_existed) {
        RemoveKey(brand, left);
        return;
    }
    for (const char* name : kInstallerValues)
        RemoveValue(brand, name, left);
    RegistryEntry entry;
    for (const std::string& value : record.values)
        if (ParseRegistryEntry(value, "S:", entry))
            RemoveValue(entry.sub_key.empty() ? brand : brand + "\\" + entry.sub_key, entry.value_name, left);
}

// A running program's file, and the folder it stands in, can only go once
// the system restarts.
void RemoveAtRestart(const std::string& path, std::vector<std::string>& left)
{
    if (MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT))
        return;
    LogFailure("MoveFileExA", path, GetLastError());
    left.push_back(path);
}

// The running uninstaller moves to a name of its own in the folder before
// its deletion is left to the restart: a reinstall before the restart then
// places its new uninstall.exe where no pending deletion names it. Where it
// cannot move, its own name is left to the restart.
void RemoveUninstallerAtRestart(const std::string& install_dir, std::vector<std::string>& left)
{
    const std::string uninstaller = UninstallerPath(install_dir);
    DWORD seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
    for (int attempt = 0; attempt < kUniqueNameTries; ++attempt, ++seed) {
        char hex[9];
        wsprintfA(hex, "%08lX", static_cast<unsigned long>(seed));
        const std::string moved = install_dir + "\\uninstall-" + hex + ".old";
        if (MoveFileA(uninstaller.c_str(), moved.c_str())) {
            RemoveAtRestart(moved, left);
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS && GetLastError() != ERROR_FILE_EXISTS) {
            LogFailure("MoveFileA", uninstaller, GetLastError());
            break;
        }
    }
    RemoveAtRestart(uninstaller, left);
}

// Everything the record says the installer left for the brand; returns what
// remains.
std::vector<std::string> RemoveClient(const std::string& brand, const std::string& install_dir,
                                      const UninstallRecord& record)
{
    std::vector<std::string> left;
    const bool created = record.created;
    const std::string uninstaller = UninstallerPath(install_dir);
    if (created)
        EmptyFolder(install_dir, uninstaller, left);
    else
        RemoveRecordedFiles(install_dir, record, left);
    const bool emptied = created && left.empty();
    RemoveShortcut(StartMenuShortcut(brand), install_dir, left);
    RemoveShortcut(DesktopShortcut(brand), install_dir, left);
    RemoveBrandKey(brand, record, left);
    // Never another program's entry, nor one the installer was told not to
    // write (a client that registers its own).
    if (record.entry && IsOwnUninstallEntry(brand, install_dir))
        RemoveKey(UninstallEntryKey(brand), left);
    RemoveUninstallerAtRestart(install_dir, left);
    if (emptied)
        RemoveAtRestart(install_dir, left);
    // Another product's folder, or one the record does not vouch for, stays.
    if (!created)
        left.push_back(install_dir);
    return left;
}

void Tell(bool quiet, const WideText& text, UINT type)
{
    if (!quiet)
        ShowPlayerMessage(text, PlayerText(TextId::kUninstall), type);
}

} // namespace

UninstallExit RunUninstaller(bool quiet)
{
    std::string install_dir;
    const std::string brand = LocateBrand(install_dir);
    if (brand.empty()) {
        Diagnostic("Uninstall refused: %s is not <Program Files>\\<brand>\\%s\n", ModulePath().c_str(),
                   uninstall_record::kUninstallerName);
        Tell(quiet, PlayerText(TextId::kUninstallWrongPlace), MB_OK | MB_ICONERROR);
        return kUninstallWrongPlace;
    }
    // Without the record nothing tells what is the installer's: nothing
    // goes. The player is asked in the language the record keeps from the
    // install.
    UninstallRecord record;
    if (!ReadUninstallRecord(install_dir, record)) {
        Diagnostic("Uninstall refused: no readable record at %s\n", RecordPath(install_dir).c_str());
        Tell(quiet, PlayerText(TextId::kUninstallNoRecord, {RecordPath(install_dir)}), MB_OK | MB_ICONERROR);
        return kUninstallRemovedInPart;
    }
    SetPlayerLanguage(record.language);
    if (!quiet) {
        if (ShowPlayerMessage(PlayerText(TextId::kUninstallQuestion, {brand}), PlayerText(TextId::kUninstall),
                              MB_YESNO | MB_ICONQUESTION)
            != IDYES)
            return kUninstallDeclined;
        CheckProgramRunning(brand, PlayerText(TextId::kUninstall), kUninstallClientRunning);
    } else if (IsProgramRunning(brand)) {
        Diagnostic("Uninstall of %s stopped: the client is running\n", brand.c_str());
        return kUninstallClientRunning;
    }

    const std::vector<std::string> left = RemoveClient(brand, install_dir, record);
    for (const std::string& path : left)
        Diagnostic("Not removed: %s\n", path.c_str());
    if (left.empty()) {
        Diagnostic("Removed %s; %s goes at the next restart\n", install_dir.c_str(),
                   UninstallerPath(install_dir).c_str());
        return kUninstallRemoved;
    }
    Tell(quiet, PlayerText(TextId::kUninstallLeft, {left.front()}), MB_OK | MB_ICONWARNING);
    return kUninstallRemovedInPart;
}
