// What the installer leaves so that the client can be found and removed:
// the uninstall record and a copy of itself as uninstall.exe in the install
// folder, the shortcuts and the uninstall entry. Everything is per user,
// like the brand's key.
#pragma once

#include "install/uninstall_record.h"

#include <string>

class Installer;

// Before the install folder is made: what an earlier run recorded there, or
// a new record that says whether this run creates the folder (it does when
// the folder is not there yet).
UninstallRecord StartUninstallRecord(const std::string& install_dir);

// Once the folder is made: a folder this run created is recorded at once,
// so that a run that fails later cannot leave it to pass for another
// product's on the next run.
void KeepCreatedFolder(const std::string& install_dir, const UninstallRecord& record);

// After the last file: the record with every file of the manifest added, the
// copy of the installer as uninstall.exe, the shortcuts and the uninstall
// entry as the manifest asks. Failures are logged; the run goes on.
void RegisterClient(const Installer& installer, const std::string& brand, UninstallRecord record);

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
