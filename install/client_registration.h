// What the installer leaves so that the client can be found and removed:
// the uninstall record and a copy of itself as uninstall.exe in the install
// folder, the shortcuts and the uninstall entry. Everything is per user,
// like the brand's key.
#pragma once

#include "install/uninstall_record.h"

#include <set>
#include <string>

class IniFile;
class Installer;

// What the run knows before it writes the brand's key or makes the install
// folder: what an earlier run recorded there, or a new record that says
// whether this run creates the folder and whether the brand's key was there.
struct RegistrationStart {
    UninstallRecord record;
    // A folder that was there before holds another program's uninstaller or
    // record: none of ours is placed or registered there.
    bool foreign_folder = false;
    // The manifest's files that were in the folder before this run, in
    // capitals: not this installer's to list unless an earlier run did.
    std::set<std::string> there_before;
    // The folder, the uninstaller, the record and the manifest's files as
    // full paths in capitals: no deletion at the restart may name them once
    // the run places them.
    std::set<std::string> placed_paths;
};

// A folder that holds nothing but what an uninstall of ours left to the
// next restart (the folder and everything in it pending deletion) counts as
// created.
RegistrationStart StartRegistration(const std::string& install_dir, const std::string& brand,
                                    const IniFile& manifest);

// Once the folder is made: a folder this run created is recorded at once,
// so that a run that fails later cannot leave it to pass for another
// product's on the next run; pending deletions of the folder and of what the
// run places there are taken out.
void KeepCreatedFolder(const std::string& install_dir, const RegistrationStart& start);

// After the last file: the record with the files and REG entries this
// installer wrote, the copy of the installer as uninstall.exe, the
// shortcuts and the uninstall entry as the manifest asks. An uninstall entry
// or shortcut of another program is left as it is (logged), and without a
// record there is no uninstall entry. Failures are logged; the run goes on.
void RegisterClient(const Installer& installer, const std::string& brand, RegistrationStart start);

// True when HKCU\Software\<UninstallEntryKey(brand)> is the entry of the
// client in `install_dir` (its UninstallString runs the uninstaller there).
bool IsOwnUninstallEntry(const std::string& brand, const std::string& install_dir);

// The brand's shortcut in the user's Programs folder, or on the user's
// Desktop; empty when the shell names no such folder (logged).
std::string StartMenuShortcut(const std::string& brand);
std::string DesktopShortcut(const std::string& brand);

// <install_dir>\uninstall.ini and <install_dir>\uninstall.exe.
std::string RecordPath(const std::string& install_dir);
std::string UninstallerPath(const std::string& install_dir);

// The record in the install folder; false when there is none or it is no
// record. Paths it lists that the rules refuse are logged.
bool ReadUninstallRecord(const std::string& install_dir, UninstallRecord& record);
